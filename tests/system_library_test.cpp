// The DLLs of Windows the program loads come from the system folder only: in
// this process, and in Quorel.exe with same-named DLLs planted around it.
#include "base/system_library.h"

#include "base/names.h"
#include "support/testutil.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace testutil;

namespace {

// The file names in a folder with the extension, such as L".dll".
std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* extension) {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == extension)
            names.push_back(entry.path().filename().wstring());
    return names;
}

// The lower-case path of the module a process has loaded under the name;
// empty when it has none.
std::wstring ModulePathIn(DWORD pid, const wchar_t* name) {
    std::wstring path;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && path.empty();
         more = Module32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szModule, name) == 0)
            path = CharLowerW(entry.szExePath);
    CloseHandle(snapshot);
    return path;
}

constexpr UINT kOptionsCommand = 101, kRestoreAllCommand = 102, kHelpCommand = 105,
               kAboutCommand = 106;

// Chooses a menu command that opens a window of the class, waits for the
// window and closes it again.
void OpenAndClose(const QuorelProcess& q, UINT command, const wchar_t* className) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(className)));
    PostMessageW(q.MainForm(), WM_COMMAND, command, 0);
    HWND w = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        auto v = q.VisibleWindows(className);
        return !v.empty() && (w = v.front()) != nullptr;
    }));
    PostMessageW(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(w); }));
}

} // namespace

TEST(SystemLibrary, DllsComeFromTheSystemFolderAndCommonControlsFromTheManifest) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    for (const wchar_t* name : {L"shcore.dll", L"uxtheme.dll", L"dwmapi.dll"}) {
        ASSERT_NE(system_library::Load(name), nullptr) << name;
        EXPECT_EQ(ModulePathIn(GetCurrentProcessId(), name),
                  std::wstring(CharLowerW(system)) + L"\\" + name);
    }
    // Common Controls: version 6 from the side-by-side store by the manifest,
    // the same module at every load.
    HMODULE common = system_library::Load(L"comctl32.dll");
    EXPECT_EQ(common, system_library::Load(L"comctl32.dll"));
    EXPECT_EQ(common, GetModuleHandleW(L"comctl32.dll"));
    EXPECT_NE(ModulePathIn(GetCurrentProcessId(), L"comctl32.dll").find(L"\\winsxs\\"),
              std::wstring::npos);
    EXPECT_NE(system_library::Function<FARPROC>(L"comctl32.dll", "LoadIconWithScaleDown"), nullptr);
    EXPECT_NE(system_library::Function<FARPROC>(L"shcore.dll", "GetDpiForMonitor"), nullptr);

    EXPECT_EQ(system_library::Load(L"quorel-no-such-library.dll"), nullptr);
    EXPECT_EQ(system_library::Function<FARPROC>(L"quorel-no-such-library.dll", "Anything"),
              nullptr);
    EXPECT_EQ(system_library::Function<FARPROC>(L"shcore.dll", "QuorelNoSuchFunction"), nullptr);
}

namespace {
std::vector<std::wstring> searchCalls;
BOOL WINAPI RecordSetDefault(DWORD flags) {
    searchCalls.push_back(L"SetDefaultDllDirectories " + std::to_wstring(flags));
    return TRUE;
}
BOOL WINAPI RecordSetDllDirectory(LPCWSTR folder) {
    searchCalls.push_back(L"SetDllDirectoryW \"" + std::wstring(folder ? folder : L"null") + L"\"");
    return TRUE;
}
} // namespace

// Every Windows takes the current directory out of the search first; where
// Windows has the search flags, the program's folder and PATH go too.
// Without them (Windows 7 without KB2533623) a DLL comes by its full path
// from the system folder, Common Controls still from the side-by-side store.
TEST(SystemLibrary, WithoutTheSearchFlagsTheCurrentDirectoryGoesAndDllsComeByTheirSystemPath) {
    using system_library::SearchCalls;
    EXPECT_FALSE(
        system_library::RestrictSearchToSystemFolder(SearchCalls{nullptr, RecordSetDllDirectory}));
    EXPECT_EQ(searchCalls, std::vector<std::wstring>{L"SetDllDirectoryW \"\""});
    searchCalls.clear();
    EXPECT_TRUE(system_library::RestrictSearchToSystemFolder(
        SearchCalls{RecordSetDefault, RecordSetDllDirectory}));
    EXPECT_EQ(searchCalls, (std::vector<std::wstring>{L"SetDllDirectoryW \"\"",
                                                      L"SetDefaultDllDirectories 2048"}));
    EXPECT_NE(system_library::SystemSearchCalls().setDllDirectory, nullptr);

    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    for (const wchar_t* name : {L"shcore.dll", L"uxtheme.dll", L"dwmapi.dll", L"shell32.dll"}) {
        EXPECT_EQ(system_library::LoadByFullPath(name), system_library::Load(name)) << name;
        EXPECT_EQ(ModulePathIn(GetCurrentProcessId(), name),
                  std::wstring(CharLowerW(system)) + L"\\" + name);
    }
    HMODULE common = system_library::LoadByFullPath(L"comctl32.dll");
    EXPECT_EQ(common, GetModuleHandleW(L"comctl32.dll"));
    EXPECT_NE(ModulePathIn(GetCurrentProcessId(), L"comctl32.dll").find(L"\\winsxs\\"),
              std::wstring::npos);
    EXPECT_EQ(system_library::LoadByFullPath(L"quorel-no-such-library.dll"), nullptr);
}

// The build's stand-ins (each leaves "<its path>.loaded" when loaded) lie
// beside the exe, then in its current directory. The program opens its
// dialogs, restores a minimized window (asking the window manager whether it
// is on this desktop) and ends: no stand-in is loaded.
TEST(SystemLibrary, PlantedDllsBesideTheProgramOrInItsCurrentDirectoryAreNeverLoaded) {
    const std::string markers = QUOREL_MARKER_DIR;
    const std::wstring markerFolder = WindowsPath(std::wstring(markers.begin(), markers.end()));
    const auto planted = FilesIn(markerFolder, L".dll");
    ASSERT_GE(planted.size(), 5u);
    for (bool inCurrentDirectory : {false, true}) {
        SCOPED_TRACE(inCurrentDirectory ? "in the current directory" : "beside the exe");
        TempDir current;
        QuorelProcess q;
        const std::wstring folder = inCurrentDirectory ? current.Path() : q.Folder();
        for (const auto& name : planted)
            ASSERT_TRUE(CopyFileW((markerFolder + L"\\" + name).c_str(),
                                  (folder + L"\\" + name).c_str(), FALSE));
        ASSERT_TRUE(q.Start(inCurrentDirectory ? current.Path() : std::wstring()));
        OpenAndClose(q, kOptionsCommand, names::kOptionsDialogClass);
        OpenAndClose(q, kHelpCommand, names::kHelpWindowClass);
        OpenAndClose(q, kAboutCommand, names::kAboutBoxClass);
        TargetWindow minimized;
        ShowWindow(minimized.Handle(), SW_MINIMIZE);
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(minimized.Handle()) != FALSE; }));
        PostMessageW(q.MainForm(), WM_COMMAND, kRestoreAllCommand, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsIconic(minimized.Handle()); }));
        EXPECT_TRUE(q.Close());
        EXPECT_EQ(FilesIn(folder, L".loaded"), std::vector<std::wstring>{});
    }
}

// With the icon hidden nothing needs Common Controls at start (the hotkeys
// come sooner without them); the first dialog loads version 6 from winsxs.
TEST(SystemLibrary, CommonControlsComeWithTheFirstDialogFromTheSideBySideStore) {
    std::string ini = IniWith("NoTrayIcon=1\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    q.WaitIdle();
    EXPECT_EQ(ModulePathIn(q.ProcessId(), L"comctl32.dll"), L"");
    OpenAndClose(q, kAboutCommand, names::kAboutBoxClass);
    const std::wstring loaded = ModulePathIn(q.ProcessId(), L"comctl32.dll");
    EXPECT_NE(loaded.find(L"\\winsxs\\"), std::wstring::npos) << loaded;
    EXPECT_TRUE(q.Close());
}
