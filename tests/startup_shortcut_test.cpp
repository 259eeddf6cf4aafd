// The shortcut that starts the program with Windows, on shortcut files in a
// temporary folder (the user's Startup folder is left alone here; the
// end-to-end test of the options dialog uses it).
#include "settings/startup_shortcut.h"

#include "base/error_report.h"
#include "support/testutil.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shobjidl.h>

#include <string>

using namespace testutil;

namespace {

// COM for the shell's link object, on this test's thread.
class StartupShortcutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { CoUninitialize(); }
    TempDir dir_;
};

// The working folder stored in a shortcut, read with the shell's object.
std::wstring WorkingFolderOf(const std::wstring& link) {
    IShellLinkW* sl = nullptr;
    IPersistFile* pf = nullptr;
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&sl))) &&
        SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf))) &&
        SUCCEEDED(pf->Load(link.c_str(), STGM_READ)))
        sl->GetWorkingDirectory(folder, MAX_PATH);
    if (pf)
        pf->Release();
    if (sl)
        sl->Release();
    return folder;
}

} // namespace

TEST(StartupShortcutPaths, SameFileWhateverTheLetterCase) {
    EXPECT_TRUE(SamePath(L"C:\\Tools\\Quorel.exe", L"c:\\tools\\QUOREL.EXE"));
    EXPECT_TRUE(SamePath(L"C:\\ツール\\Quorel.exe", L"c:\\ツール\\quorel.exe"));
    EXPECT_FALSE(SamePath(L"C:\\Tools\\Quorel.exe", L"C:\\Tools2\\Quorel.exe"));
    EXPECT_FALSE(SamePath(L"C:\\Tools\\Quorel.exe", L"C:\\Tools\\Quorel.ex"));
    std::wstring startup = StartupShortcutPath();
    ASSERT_GE(startup.size(), 19u);
    EXPECT_TRUE(SamePath(startup.substr(startup.size() - 19), L"\\Startup\\Quorel.lnk"))
        << startup;
}

// A shortcut points at the exe and starts in its folder; it is recognised
// whatever the letter case, and one to another copy is not this one's.
TEST_F(StartupShortcutTest, WrittenPointsAtTheExeAndStartsInItsFolder) {
    std::wstring link = dir_.File(L"Quorel.lnk");
    std::wstring exe = dir_.File(L"Quorel.exe");
    WriteFileBytes(exe, "MZ");
    EXPECT_FALSE(IsShortcutTo(link, exe));
    WriteShortcut(link, exe);
    EXPECT_TRUE(SamePath(ShortcutTarget(link), exe)) << ShortcutTarget(link);
    EXPECT_TRUE(IsShortcutTo(link, exe));
    std::wstring upper = exe;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    EXPECT_TRUE(IsShortcutTo(link, upper));
    EXPECT_TRUE(SamePath(WorkingFolderOf(link), dir_.Path())) << WorkingFolderOf(link);
    EXPECT_FALSE(IsShortcutTo(link, dir_.File(L"Other.exe")));

    RemoveShortcut(link);
    EXPECT_EQ(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NO_THROW(RemoveShortcut(link)); // already gone
    EXPECT_FALSE(IsShortcutTo(link, exe));
}

// A file that is no shortcut does not count and is replaced when written.
TEST_F(StartupShortcutTest, ABrokenShortcutDoesNotCountAndIsReplaced) {
    std::wstring link = dir_.File(L"Quorel.lnk");
    std::wstring exe = dir_.File(L"Quorel.exe");
    for (const char* bytes : {"", "not a shortcut", "LNK"}) {
        WriteFileBytes(link, bytes);
        EXPECT_EQ(ShortcutTarget(link), L"");
        EXPECT_FALSE(IsShortcutTo(link, exe));
        WriteShortcut(link, exe);
        EXPECT_TRUE(IsShortcutTo(link, exe));
    }
}

// A folder that cannot take the shortcut gives the user's message.
TEST_F(StartupShortcutTest, AFolderThatCannotTakeItGivesAMessage) {
    std::wstring link = dir_.File(L"missing\\Quorel.lnk");
    try {
        WriteShortcut(link, dir_.File(L"Quorel.exe"));
        FAIL() << "no error";
    } catch (const EQuorelError& e) {
        EXPECT_EQ(e.Message(),
                  L"スタートアップ フォルダーにショートカットを作成できません。\n\n" + link);
    }
    // A folder where the shortcut should be cannot be removed as a file.
    std::wstring blocked = dir_.File(L"Blocked.lnk");
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    EXPECT_THROW(RemoveShortcut(blocked), EQuorelError);
    EXPECT_THROW(WriteShortcut(L"", dir_.File(L"Quorel.exe")), EQuorelError);
}
