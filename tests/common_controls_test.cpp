// Common Controls come when first needed: without the DLL no dialog is made
// and nothing crashes, and once it can be loaded the next dialog loads it,
// in version 6 from the side-by-side store.
#include "base/common_controls.h"

#include "base/error_report.h"
#include "ui/about_box.h"
#include "ui/help_window.h"
#include "ui/options_dialog.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <string>

using namespace testutil;

namespace {

LRESULT CALLBACK PassingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    return common_controls::DefSubclass(hwnd, msg, wp, lp);
}

} // namespace

// A fresh process (each test runs in its own): nothing has loaded the DLL
// through the program's code yet.
TEST(CommonControls, WithoutTheDllNoDialogIsMadeUntilItCanBeLoaded) {
    const auto system = common_controls::LoadLibraryCall;
    common_controls::LoadLibraryCall = []() -> HMODULE {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    };
    EXPECT_FALSE(common_controls::Initialize());
    EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
    TargetWindow target;
    EXPECT_FALSE(common_controls::SetSubclass(target.Handle(), &PassingProc, 1, 0));
    {
        AboutBox box(nullptr);
        EXPECT_EQ(box.ShowModal(), -1);
        EXPECT_THROW(OptionsDialog options(nullptr), EQuorelError);
        HelpWindow help(nullptr);
        EXPECT_EQ(help.Handle(), nullptr);
        help.Show(HelpTopic{}, nullptr); // does nothing
    }

    common_controls::LoadLibraryCall = system;
    AboutBox box(nullptr);
    box.OnShow = [](AboutBox& b) { PostMessageW(b.Handle(), WM_CLOSE, 0, 0); };
    EXPECT_NE(box.ShowModal(), -1);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    EXPECT_NE(std::wstring(CharLowerW(path)).find(L"\\winsxs\\"), std::wstring::npos) << path;
    EXPECT_TRUE(common_controls::SetSubclass(target.Handle(), &PassingProc, 1, 0));
    EXPECT_TRUE(common_controls::RemoveSubclass(target.Handle(), &PassingProc, 1));
}
