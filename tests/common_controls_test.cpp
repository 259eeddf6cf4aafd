// Common Controls come when first needed: without the DLL no dialog is made
// and nothing crashes, and once it can be loaded the next dialog loads it,
// in version 6 from the side-by-side store; a subclass made through it
// sees the messages it takes and passes the others on.
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

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                              DWORD_PTR counter) {
    if (msg == WM_APP) {
        ++*reinterpret_cast<int*>(counter);
        return 7;
    }
    return common_controls::DefSubclass(hwnd, msg, wp, lp);
}

std::wstring LowerModulePath(HMODULE module) {
    wchar_t buf[MAX_PATH] = {};
    GetModuleFileNameW(module, buf, MAX_PATH);
    return CharLowerW(buf);
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
    int seen = 0;
    EXPECT_FALSE(common_controls::SetSubclass(target.Handle(), &CountingProc, 1,
                                              reinterpret_cast<DWORD_PTR>(&seen)));
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
    HMODULE dll = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(dll, nullptr);
    EXPECT_NE(LowerModulePath(dll).find(L"\\winsxs\\"), std::wstring::npos) << LowerModulePath(dll);

    ASSERT_TRUE(common_controls::SetSubclass(target.Handle(), &CountingProc, 1,
                                             reinterpret_cast<DWORD_PTR>(&seen)));
    EXPECT_EQ(SendMessageW(target.Handle(), WM_APP, 0, 0), 7);
    EXPECT_EQ(seen, 1);
    // Passed on to the window's own procedure.
    SetWindowTextW(target.Handle(), L"passed on");
    EXPECT_EQ(WindowText(target.Handle()), L"passed on");
    EXPECT_TRUE(common_controls::RemoveSubclass(target.Handle(), &CountingProc, 1));
    EXPECT_EQ(SendMessageW(target.Handle(), WM_APP, 0, 0), 0);
    EXPECT_EQ(seen, 1);
}
