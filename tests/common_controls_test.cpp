// Common Controls come when first needed: without the DLL no dialog is made
// and nothing crashes; once it can be loaded the next dialog loads it.
#include "base/common_controls.h"

#include "base/error_report.h"
#include "ui/about_box.h"
#include "ui/help_window.h"
#include "ui/options_dialog.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace testutil;

namespace {

LRESULT CALLBACK PassingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    return common_controls::DefSubclass(hwnd, msg, wp, lp);
}

} // namespace

// Each test runs in a fresh process: nothing has loaded the DLL yet.
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
    AboutBox unshown(nullptr);
    EXPECT_EQ(unshown.ShowModal(), -1);
    EXPECT_THROW(OptionsDialog options(nullptr), EQuorelError);
    HelpWindow help(nullptr);
    EXPECT_EQ(help.Handle(), nullptr);
    help.Show(HelpTopic{}, nullptr); // does nothing

    common_controls::LoadLibraryCall = system;
    AboutBox box(nullptr);
    box.OnShow = [](AboutBox& b) { PostMessageW(b.Handle(), WM_CLOSE, 0, 0); };
    EXPECT_NE(box.ShowModal(), -1);
    EXPECT_TRUE(common_controls::SetSubclass(target.Handle(), &PassingProc, 1, 0));
    EXPECT_TRUE(common_controls::RemoveSubclass(target.Handle(), &PassingProc, 1));
}
