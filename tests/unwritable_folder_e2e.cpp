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
const std::string kBesideExe = "[Option]\r\nMoveP=7\r\n";

std::string IniValue(const std::string& text, const std::string& key) {
    std::string t = "\n" + text;
    size_t p = t.find("\n" + key + "=");
    if (p == std::string::npos)
        return "<missing>";
    p += key.size() + 2;
    return t.substr(p, t.find_first_of("\r\n", p) - p);
}

// Opens the options dialog through the menu command; nullptr when it does
// not open.
HWND OpenOptions(const QuorelProcess& q) {
    PostMessageW(q.MainForm(), WM_COMMAND, kOptionsCommand, 0);
    HWND dlg = nullptr;
    WaitUntil([&] {
        auto w = q.VisibleWindows(names::kOptionsDialogClass);
        dlg = w.empty() ? nullptr : w.front();
        return dlg != nullptr;
    });
    return dlg;
}

int Pos(HWND dlg, int upDownId) {
    return static_cast<short>(
        LOWORD(SendMessageW(OptionsDialogControl(dlg, upDownId), UDM_GETPOS, 0, 0)));
}

bool CloseWith(HWND dlg, int id) {
    PostMessageW(OptionsDialogControl(dlg, id), BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(dlg); });
}

// The per-user folder holds nothing of the program before and after.
class PerUserFolder {
  public:
    explicit PerUserFolder(std::wstring file) : file_(std::move(file)) { Clear(); }
    ~PerUserFolder() { Clear(); }
    PerUserFolder(const PerUserFolder&) = delete;
    PerUserFolder& operator=(const PerUserFolder&) = delete;
    const std::wstring& File() const { return file_; }

  private:
    void Clear() {
        DeleteFileW(file_.c_str());
        RemoveDirectoryW(file_.substr(0, file_.find_last_of(L'\\')).c_str());
    }
    std::wstring file_;
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
    PerUserFolder perUser(PerUserSettingsPath(folder + L"\\Quorel.INI"));
    ASSERT_FALSE(perUser.File().empty());

    {
        QuorelProcess q(exe);
        ASSERT_TRUE(q.Start());
        HWND dlg = OpenOptions(q);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(Pos(dlg, idMoveP_UpDown), 7); // from the file beside the exe
        SendMessageW(OptionsDialogControl(dlg, idSizeP_UpDown), UDM_SETPOS, 0, MAKELPARAM(9, 0));
        ASSERT_TRUE(CloseWith(dlg, IDOK));
        MessageBoxCloser closer(q.ProcessId());
        ASSERT_TRUE(q.Close());
        EXPECT_EQ(closer.Count(), 0u) << (closer.Count() ? closer.Seen()[0].text : L"");
    }
    std::string written = ReadFileBytes(perUser.File());
    EXPECT_EQ(IniValue(written, "SizeP"), "9");
    EXPECT_EQ(IniValue(written, "MoveP"), "7");
    EXPECT_EQ(IniValue(written, "MaxRestoreKey"), "Alt+F12");
    EXPECT_EQ(ReadFileBytes(folder + L"\\Quorel.INI"), kBesideExe);

    // The next start reads the per-user file, not the one beside the exe.
    WriteFileBytes(perUser.File(), "[Option]\r\nMoveP=11\r\nSizeP=9\r\n");
    {
        QuorelProcess q(exe);
        ASSERT_TRUE(q.Start());
        HWND dlg = OpenOptions(q);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(Pos(dlg, idMoveP_UpDown), 11);
        EXPECT_EQ(Pos(dlg, idSizeP_UpDown), 9);
        ASSERT_TRUE(CloseWith(dlg, IDCANCEL));
        MessageBoxCloser closer(q.ProcessId());
        ASSERT_TRUE(q.Close());
        EXPECT_EQ(closer.Count(), 0u);
    }
    EXPECT_EQ(IniValue(ReadFileBytes(perUser.File()), "MoveP"), "11");
}
