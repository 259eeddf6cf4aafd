// End to end where the program cannot write its settings beside the exe: a
// folder it cannot write, as under Program Files (runs only through
// tests/unwritable_folder.sh, which puts Quorel.exe and a Quorel.INI holding
// "MoveP=7" there, makes the folder immutable and names it in
// QUOREL_UNWRITABLE_DIR), and a read-only Quorel.INI in a folder it can.
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

// Starts the program, checks MoveP and SizeP in the options dialog, sets SizeP,
// closes the dialog with the button and ends the program: no error box.
void RunOnce(const std::wstring& exe, int moveP, int sizeP, int newSizeP, int button) {
    QuorelProcess q(exe);
    ASSERT_TRUE(q.Start());
    PostMessageW(q.MainForm(), WM_COMMAND, kOptionsCommand, 0);
    HWND dlg = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        auto w = q.VisibleWindows(names::kOptionsDialogClass);
        return !w.empty() && (dlg = w.front()) != nullptr;
    }));
    auto upDown = [&](int id) { return OptionsDialogControl(dlg, id); };
    EXPECT_EQ(static_cast<short>(SendMessageW(upDown(idMoveP_UpDown), UDM_GETPOS, 0, 0)), moveP);
    EXPECT_EQ(static_cast<short>(SendMessageW(upDown(idSizeP_UpDown), UDM_GETPOS, 0, 0)), sizeP);
    SendMessageW(upDown(idSizeP_UpDown), UDM_SETPOS, 0, MAKELPARAM(newSizeP, 0));
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

// A value changed with the dialog's OK goes, with no error box, to
// %APPDATA%\Quorel\Quorel.INI (seeded from the file beside the exe, which
// holds "MoveP=7" and stays as it is), and the next start reads it from
// there.
void SettingsGoToThePerUserFile(const std::wstring& folder) {
    const std::wstring exe = folder + L"\\Quorel.exe";
    const PerUserFolder perUser(PerUserSettingsPath(folder + L"\\Quorel.INI"));
    ASSERT_FALSE(perUser.file.empty());

    RunOnce(exe, 7, 5, 9, IDOK); // MoveP from the file beside the exe, SizeP default
    const std::string written = ReadFileBytes(perUser.file);
    for (const char* line : {"\nSizeP=9\r\n", "\nMoveP=7\r\n", "\nMaxRestoreKey=Alt+F12\r\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line << written;
    EXPECT_EQ(ReadFileBytes(folder + L"\\Quorel.INI"), "[Option]\r\nMoveP=7\r\n");

    // The next start reads the per-user file, not the one beside the exe.
    WriteFileBytes(perUser.file, "[Option]\r\nMoveP=11\r\nSizeP=9\r\n");
    RunOnce(exe, 11, 9, 9, IDCANCEL);
    EXPECT_NE(ReadFileBytes(perUser.file).find("\nMoveP=11\r\n"), std::string::npos);
}

} // namespace

TEST(UnwritableFolder, SettingsGoToThePerUserFileAndComeBackFromThere) {
    wchar_t unixPath[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"QUOREL_UNWRITABLE_DIR", unixPath, MAX_PATH))
        GTEST_SKIP() << "runs through tests/unwritable_folder.sh, which prepares the folder";
    const std::wstring folder = WindowsPath(unixPath);
    ASSERT_NE(GetFileAttributesW((folder + L"\\Quorel.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_FALSE(CanCreateFileIn(folder)) << "the folder can be written";
    SettingsGoToThePerUserFile(folder);
}

// The same with a read-only Quorel.INI in a folder the program can write:
// the file is found unwritable at start, not at the end.
TEST(UnwritableFolder, AReadOnlySettingsFileSendsTheSettingsToThePerUserFile) {
    TempDir dir;
    ASSERT_TRUE(CopyFileW(QuorelExePath().c_str(), dir.File(L"Quorel.exe").c_str(), FALSE));
    const std::wstring ini = dir.File(L"Quorel.INI");
    WriteFileBytes(ini, "[Option]\r\nMoveP=7\r\n");
    ASSERT_TRUE(SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CanCreateFileIn(dir.Path()));
    SettingsGoToThePerUserFile(dir.Path());
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}
