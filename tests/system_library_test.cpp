// The DLLs of Windows the program loads at run time come from the system
// folder only: in this process through system_library directly, and in the
// real Quorel.exe with DLLs of the same names planted beside it and in its
// current directory.
#include "base/system_library.h"

#include "base/names.h"
#include "support/testutil.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

using namespace testutil;

namespace {

std::wstring LowerModulePath(HMODULE module) {
    wchar_t buf[MAX_PATH] = {};
    GetModuleFileNameW(module, buf, MAX_PATH);
    return CharLowerW(buf);
}

// The file names in a folder that match a pattern such as L"*.dll".
std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd{};
    HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(fd.cFileName);
    while (FindNextFileW(find, &fd));
    FindClose(find);
    return names;
}

// The Common Controls DLL another process has loaded, as a lower-case
// path; empty when it has none.
std::wstring CommonControlsIn(DWORD pid) {
    std::wstring path;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && path.empty();
         more = Module32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szModule, L"comctl32.dll") == 0)
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
        w = v.empty() ? nullptr : v.front();
        return w != nullptr;
    }));
    PostMessageW(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(w); }));
}

} // namespace

TEST(SystemLibrary, DllsComeFromTheSystemFolderAndCommonControlsFromTheManifest) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    for (const wchar_t* name : {L"shcore.dll", L"uxtheme.dll", L"dwmapi.dll"}) {
        HMODULE module = system_library::Load(name);
        ASSERT_NE(module, nullptr) << name;
        EXPECT_EQ(LowerModulePath(module), std::wstring(CharLowerW(system)) + L"\\" + name);
    }
    // Common Controls: the manifest makes it version 6 from the side-by-side
    // store, and a second load gives the same module.
    HMODULE common = system_library::Load(L"comctl32.dll");
    EXPECT_EQ(common, system_library::Load(L"comctl32.dll"));
    EXPECT_EQ(common, GetModuleHandleW(L"comctl32.dll"));
    EXPECT_NE(LowerModulePath(common).find(L"\\winsxs\\"), std::wstring::npos);
    EXPECT_NE(system_library::Function<FARPROC>(L"comctl32.dll", "LoadIconWithScaleDown"), nullptr);
    EXPECT_NE(system_library::Function<FARPROC>(L"shcore.dll", "GetDpiForMonitor"), nullptr);

    EXPECT_EQ(system_library::Load(L"quorel-no-such-library.dll"), nullptr);
    EXPECT_EQ(system_library::Function<FARPROC>(L"quorel-no-such-library.dll", "Anything"),
              nullptr);
    EXPECT_EQ(system_library::Function<FARPROC>(L"shcore.dll", "QuorelNoSuchFunction"), nullptr);
}

// The stand-ins the build made (each DLL, when loaded, leaves "<its
// path>.loaded" beside itself) lie beside the exe, and in another run in its
// current directory. The program opens the options dialog, the help and the
// About box, restores a minimized window (which asks the window manager
// whether it is on this desktop) and ends: no stand-in is loaded.
TEST(SystemLibrary, PlantedDllsBesideTheProgramOrInItsCurrentDirectoryAreNeverLoaded) {
    const std::string markers = QUOREL_MARKER_DIR;
    const std::wstring markerFolder = WindowsPath(std::wstring(markers.begin(), markers.end()));
    const auto planted = FilesIn(markerFolder, L"*.dll");
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
        EXPECT_TRUE(q.VisibleWindows().empty());
        EXPECT_EQ(FilesIn(folder, L"*.loaded"), std::vector<std::wstring>{});
    }
}

// Common Controls are not loaded at start (with the icon hidden nothing
// needs them: the hotkeys come sooner without them); the first dialog loads
// them, in the manifest's version 6 from the side-by-side store.
TEST(SystemLibrary, CommonControlsComeWithTheFirstDialogFromTheSideBySideStore) {
    std::string ini = IniWith("NoTrayIcon=1\r\n");
    QuorelProcess q(&ini);
    ASSERT_TRUE(q.Start());
    q.WaitIdle();
    EXPECT_EQ(CommonControlsIn(q.ProcessId()), L"");
    OpenAndClose(q, kAboutCommand, names::kAboutBoxClass);
    const std::wstring loaded = CommonControlsIn(q.ProcessId());
    EXPECT_NE(loaded.find(L"\\winsxs\\"), std::wstring::npos) << loaded;
    EXPECT_TRUE(q.Close());
}
