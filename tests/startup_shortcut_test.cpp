// The shortcut that starts the program with Windows, in a temporary folder
// (the options dialog's end-to-end test uses the user's Startup folder).
#include "settings/startup_shortcut.h"

#include "base/error_report.h"
#include "settings/settings.h"
#include "support/testutil.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shobjidl.h>

#include <string>

using namespace testutil;

namespace {

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

// A shortcut points at the exe (in any letter case, not at another copy) and
// starts in its folder; a file that is no shortcut does not count and is
// replaced; a folder that cannot take it gives the user's message.
TEST(StartupShortcut, PointsAtTheExeReplacesABrokenOneAndReportsAnUnusableFolder) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    TempDir dir;
    const std::wstring link = dir.File(L"Quorel.lnk"), exe = dir.File(L"Quorel.exe");
    WriteFileBytes(exe, "MZ");
    for (const char* bytes : {"", "not a shortcut", "LNK"}) {
        WriteFileBytes(link, bytes);
        EXPECT_EQ(ShortcutTarget(link), L"");
        EXPECT_FALSE(IsShortcutTo(link, exe));
        WriteShortcut(link, exe);
        EXPECT_TRUE(IsShortcutTo(link, exe));
    }
    EXPECT_TRUE(SamePath(ShortcutTarget(link), exe)) << ShortcutTarget(link);
    std::wstring upper = exe;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    EXPECT_TRUE(IsShortcutTo(link, upper));
    EXPECT_TRUE(SamePath(WorkingFolderOf(link), dir.Path())) << WorkingFolderOf(link);
    EXPECT_FALSE(IsShortcutTo(link, dir.File(L"Other.exe")));
    EXPECT_TRUE(SamePath(L"C:\\ツール\\Quorel.exe", L"c:\\ツール\\quorel.exe"));
    EXPECT_FALSE(SamePath(L"C:\\Tools\\Quorel.exe", L"C:\\Tools\\Quorel.ex"));
    const std::wstring startup = StartupShortcutPath();
    ASSERT_GE(startup.size(), 19u);
    EXPECT_TRUE(SamePath(startup.substr(startup.size() - 19), L"\\Startup\\Quorel.lnk"));

    RemoveShortcut(link);
    EXPECT_EQ(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NO_THROW(RemoveShortcut(link)); // already gone
    EXPECT_FALSE(IsShortcutTo(link, exe));

    const std::wstring missing = dir.File(L"missing\\Quorel.lnk");
    Settings.Language = "ja"; // the message below is Japanese
    try {
        WriteShortcut(missing, exe);
        FAIL() << "no error";
    } catch (const EQuorelError& e) {
        EXPECT_EQ(e.Message(),
                  L"スタートアップ フォルダーにショートカットを作成できません。\n\n" + missing);
    }
    // A folder where the shortcut should be cannot be removed as a file.
    const std::wstring blocked = dir.File(L"Blocked.lnk");
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    EXPECT_THROW(RemoveShortcut(blocked), EQuorelError);
    EXPECT_THROW(WriteShortcut(L"", exe), EQuorelError);
    CoUninitialize();
}

// The shortcut counts when it names the exe by another spelling (the short
// 8.3 form of its path): the same file, compared by volume and file index.
// Unticking removes a shortcut that starts the program at all (a copy
// moved away, gone or not), never another program's of the same name.
TEST(StartupShortcut, AnotherSpellingOfTheExeCountsAndOnlyTheProgramsShortcutIsItsOwn) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    TempDir dir;
    const std::wstring folder = dir.File(L"Quorel long folder name");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring exe = folder + L"\\Quorel.exe", link = dir.File(L"Quorel.lnk");
    WriteFileBytes(exe, "MZ");
    wchar_t shortPath[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(exe.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_FALSE(SamePath(shortPath, exe)) << shortPath;
    EXPECT_TRUE(SameFile(shortPath, exe));
    WriteShortcut(link, shortPath);
    EXPECT_FALSE(SamePath(ShortcutTarget(link), exe)); // stored as given
    EXPECT_TRUE(IsShortcutTo(link, exe)) << ShortcutTarget(link);
    EXPECT_TRUE(IsShortcutToProgram(link, exe));

    // A copy elsewhere (the exe moved here from there): not this exe, but
    // the program's, before and after it has gone.
    const std::wstring old = dir.File(L"Quorel.exe");
    WriteFileBytes(old, "MZ");
    EXPECT_FALSE(SameFile(old, exe));
    WriteShortcut(link, old);
    EXPECT_FALSE(IsShortcutTo(link, exe));
    EXPECT_TRUE(IsShortcutToProgram(link, exe));
    DeleteFileW(old.c_str());
    EXPECT_FALSE(SameFile(old, exe));
    EXPECT_TRUE(IsShortcutToProgram(link, exe));
    // Another program's shortcut under the name.
    const std::wstring other = dir.File(L"Other.exe");
    WriteFileBytes(other, "MZ");
    WriteShortcut(link, other);
    EXPECT_FALSE(IsShortcutToProgram(link, exe));
    CoUninitialize();
}
