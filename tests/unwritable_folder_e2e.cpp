// End to end in a folder that the program cannot write, as under Program
// Files or on a read-only share. This program runs only through
// tests/unwritable_folder.sh, which prepares the folder on the Linux side
// (Quorel.exe and a Quorel.INI holding "MoveP=7", then the folder made
// immutable) and names it in QUOREL_UNWRITABLE_DIR.
#include "ui/options_dialog.h"

#include "base/names.h"
#include "settings/settings_location.h"
#include "support/testutil.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

using namespace testutil;

namespace {

constexpr UINT kOptionsCommand = 101; // the options item of the program's menu

// Starts the program, reads MoveP and SizeP in the options dialog, sets SizeP
// when asked, closes the dialog with the button and ends the program: no
// error box on the way.
void RunOnce(const std::wstring& exe, int moveP, int sizeP, int newSizeP, int button) {
    QuorelProcess q(exe);
    ASSERT_TRUE(q.Start());
    PostMessageW(q.MainForm(), WM_COMMAND, kOptionsCommand, 0);
    HWND dlg = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        auto w = q.VisibleWindows(names::kOptionsDialogClass);
        dlg = w.empty() ? nullptr : w.front();
        return dlg != nullptr;
    }));
    auto pos = [&](int id) {
        return static_cast<short>(
            LOWORD(SendMessageW(OptionsDialogControl(dlg, id), UDM_GETPOS, 0, 0)));
    };
    EXPECT_EQ(pos(idMoveP_UpDown), moveP);
    EXPECT_EQ(sizeP ? pos(idSizeP_UpDown) : 0, sizeP); // 0: not looked at
    SendMessageW(OptionsDialogControl(dlg, idSizeP_UpDown), UDM_SETPOS, 0, MAKELPARAM(newSizeP, 0));
    PostMessageW(OptionsDialogControl(dlg, button), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));
    MessageBoxCloser closer(q.ProcessId());
    ASSERT_TRUE(q.Close());
    EXPECT_EQ(closer.Count(), 0u) << (closer.Count() ? closer.Seen()[0].text : L"");
}

// The per-user folder holds nothing of the program before and after.
struct PerUserFolder {
    explicit PerUserFolder(std::wstring f) : file(std::move(f)) { Clear(); }
    ~PerUserFolder() { Clear(); }
    void Clear() const {
        DeleteFileW(file.c_str());
        RemoveDirectoryW(file.substr(0, file.find_last_of(L'\\')).c_str());
    }
    const std::wstring file;
};

} // namespace

// Start, change a value with the dialog's OK, exit: no error box, the value
// is in %APPDATA%\Quorel\Quorel.INI (seeded at the first start from the file
// beside the exe), and the next start reads it from there.
TEST(UnwritableFolder, SettingsGoToThePerUserFileAndComeBackFromThere) {
    wchar_t unixPath[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"QUOREL_UNWRITABLE_DIR", unixPath, MAX_PATH))
        GTEST_SKIP() << "runs through tests/unwritable_folder.sh, which prepares the folder";
    const std::wstring folder = WindowsPath(unixPath);
    const std::wstring exe = folder + L"\\Quorel.exe";
    ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_FALSE(CanCreateFileIn(folder)) << "the folder can be written";
    const PerUserFolder perUser(PerUserSettingsPath(folder + L"\\Quorel.INI"));
    ASSERT_FALSE(perUser.file.empty());

    RunOnce(exe, 7, 0, 9, IDOK); // MoveP from the file beside the exe
    const std::string written = ReadFileBytes(perUser.file);
    for (const char* line : {"\nSizeP=9\r\n", "\nMoveP=7\r\n", "\nMaxRestoreKey=Alt+F12\r\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line << written;
    EXPECT_EQ(ReadFileBytes(folder + L"\\Quorel.INI"), "[Option]\r\nMoveP=7\r\n");

    // The next start reads the per-user file, not the one beside the exe.
    WriteFileBytes(perUser.file, "[Option]\r\nMoveP=11\r\nSizeP=9\r\n");
    RunOnce(exe, 11, 9, 9, IDCANCEL);
    EXPECT_NE(ReadFileBytes(perUser.file).find("\nMoveP=11\r\n"), std::string::npos);
}
