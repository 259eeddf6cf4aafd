#include "resources.h"

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace bench {

namespace {

bool g_privateFromPagefile = false;
bool g_kernelFromList = false;
bool g_gdiFromTable = false;
bool g_userFromWindows = false;

template <typename Fn> Fn NtdllFunction(const char* name) {
    FARPROC p = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

// NtQuerySystemInformation(SystemHandleInformation): one entry per handle
// of every process.
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};

// Calls visit for every entry of the system handle list that pid owns;
// false when the list cannot be read.
bool ForEachKernelHandle(DWORD pid, const std::function<void(const SystemHandleEntry&)>& visit) {
    using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = NtdllFunction<QuerySystemInformation>("NtQuerySystemInformation");
    if (!query)
        return false;
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
    std::vector<unsigned char> buf(1 << 18);
    for (int tries = 0; tries < 8; ++tries) {
        ULONG needed = 0;
        LONG status =
            query(kSystemHandleInformation, buf.data(), static_cast<ULONG>(buf.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buf.resize(buf.size() * 2 > needed ? buf.size() * 2 : needed + 4096);
            continue;
        }
        if (status != 0)
            return false;
        ULONG count = *reinterpret_cast<const ULONG*>(buf.data());
        const auto* entries =
            reinterpret_cast<const SystemHandleEntry*>(buf.data() + sizeof(ULONG_PTR));
        for (ULONG i = 0; i < count; ++i)
            if (entries[i].ownerPid == pid)
                visit(entries[i]);
        return true;
    }
    return false;
}

long KernelHandlesFromList(DWORD pid) {
    long n = 0;
    return ForEachKernelHandle(pid, [&](const SystemHandleEntry&) { ++n; }) ? n : -1;
}

// The object type of another process's handle ("Event", "File", ...).
std::wstring KernelObjectType(HANDLE process, USHORT value) {
    HANDLE dup = nullptr;
    if (!DuplicateHandle(process, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value)),
                         GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return L"handle";
    using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    auto query = NtdllFunction<QueryObject>("NtQueryObject");
    struct TypeName {
        USHORT length;
        USHORT maximumLength;
        PWSTR buffer;
    };
    alignas(8) unsigned char buf[1024] = {};
    ULONG len = 0;
    std::wstring name = L"handle";
    constexpr ULONG kObjectTypeInformation = 2;
    if (query && query(dup, kObjectTypeInformation, buf, sizeof buf, &len) == 0) {
        const auto* t = reinterpret_cast<const TypeName*>(buf);
        if (t->buffer && t->length)
            name.assign(t->buffer, t->length / sizeof(wchar_t));
    }
    CloseHandle(dup);
    return name;
}

// Wine keeps each process's GDI handles in a table that its PEB points to
// (GdiSharedHandleTable): 65536 entries of this layout. Type 0 is a free
// entry; bit 0x80 of Unique marks a stock object.
struct GdiHandleEntry {
    std::uint64_t object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    std::uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle entry layout");

// Reads the process's GDI handle table; false when it cannot be read.
bool ReadGdiTable(HANDLE process, std::vector<GdiHandleEntry>& entries) {
    struct BasicInformation {
        LONG exitStatus;
        PVOID peb;
        ULONG_PTR affinity;
        LONG basePriority;
        ULONG_PTR pid;
        ULONG_PTR parentPid;
    };
    using QueryInformationProcess = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    auto query = NtdllFunction<QueryInformationProcess>("NtQueryInformationProcess");
    if (!query)
        return false;
    BasicInformation info{};
    ULONG len = 0;
    if (query(process, 0, &info, sizeof info, &len) != 0 || !info.peb)
        return false;
#ifdef _WIN64
    constexpr size_t kGdiTableOffset = 0xF8;
#else
    constexpr size_t kGdiTableOffset = 0x94;
#endif
    PVOID table = nullptr;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(info.peb) + kGdiTableOffset, &table,
                           sizeof table, &got) ||
        !table)
        return false;
    entries.assign(0x10000, GdiHandleEntry{});
    return ReadProcessMemory(process, table, entries.data(),
                             entries.size() * sizeof(GdiHandleEntry), &got) != 0;
}

bool LiveGdiEntry(const GdiHandleEntry& e) {
    return e.type != 0 && !(e.unique & 0x80);
}

// Extended types of Wine's GDI handle table entries.
constexpr int kDisplayDc = 0x01, kDcCompanion = 0x05, kRegion = 0x04;

bool GdiObjectsFromTable(HANDLE process, Usage& u) {
    std::vector<GdiHandleEntry> entries;
    if (!ReadGdiTable(process, entries))
        return false;
    u.gdiObjects = u.displayDcs = u.dcCompanions = u.regions = 0;
    for (const auto& e : entries) {
        if (!LiveGdiEntry(e))
            continue;
        ++u.gdiObjects;
        switch (e.unique & 0x7F) {
        case kDisplayDc:
            ++u.displayDcs;
            break;
        case kDcCompanion:
            ++u.dcCompanions;
            break;
        case kRegion:
            ++u.regions;
            break;
        default:
            break;
        }
    }
    return true;
}

std::wstring GdiKind(const GdiHandleEntry& e) {
    switch (e.unique & 0x7F) {
    case 0x01:
        return L"display DC";
    case 0x05:
        return L"display DC companion";
    case 0x41:
        return L"memory DC";
    case 0x04:
        return L"region";
    case 0x08:
        return L"palette";
    case 0x09:
        return L"bitmap";
    case 0x0A:
        return L"font";
    case 0x10:
        return L"brush";
    case 0x21:
        return L"metafile DC";
    case 0x30:
        return L"pen";
    case 0x50:
        return L"extended pen";
    case 0x66:
        return L"metafile DC";
    default: {
        wchar_t buf[32];
        swprintf(buf, 32, L"GDI type 0x%02X", static_cast<unsigned>(e.unique & 0x7F));
        return buf;
    }
    }
}

void CountTree(HWND parent, long& n) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        ++n;
        CountTree(c, n);
    }
}

struct WindowCount {
    DWORD pid;
    long n;
};

BOOL CALLBACK CountWindow(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<WindowCount*>(lp);
    DWORD p = 0;
    GetWindowThreadProcessId(h, &p);
    if (p == c->pid) {
        ++c->n;
        CountTree(h, c->n);
    }
    return TRUE;
}

long WindowsOfProcess(DWORD pid) {
    WindowCount ctx{pid, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&ctx));
    for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
         h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr))
        CountWindow(h, reinterpret_cast<LPARAM>(&ctx));
    return ctx.n;
}

long GuiResources(HANDLE process, DWORD which, bool& unsupported) {
    SetLastError(0);
    DWORD n = GetGuiResources(process, which);
    unsupported = n == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
    return static_cast<long>(n);
}

std::wstring WindowDescription(HWND h) {
    wchar_t cls[256] = {}, text[128] = {};
    GetClassNameW(h, cls, 256);
    GetWindowTextW(h, text, 128);
    std::wstring d = cls;
    if (text[0])
        d += std::wstring(L" \"") + text + L"\"";
    return d;
}

void ListTree(HWND parent, std::map<unsigned long long, std::wstring>& out) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        out[reinterpret_cast<ULONG_PTR>(c)] = WindowDescription(c);
        ListTree(c, out);
    }
}

struct WindowListing {
    DWORD pid;
    std::map<unsigned long long, std::wstring>* out;
};

BOOL CALLBACK ListWindow(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<WindowListing*>(lp);
    DWORD p = 0;
    GetWindowThreadProcessId(h, &p);
    if (p == c->pid) {
        (*c->out)[reinterpret_cast<ULONG_PTR>(h)] = WindowDescription(h);
        ListTree(h, *c->out);
    }
    return TRUE;
}

} // namespace

Usage MeasureUsage(HANDLE process, DWORD pid) {
    Usage u;
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                             sizeof pmc)) {
        g_privateFromPagefile = pmc.PrivateUsage == 0;
        SIZE_T priv = g_privateFromPagefile ? pmc.PagefileUsage : pmc.PrivateUsage;
        u.privateKiB = static_cast<double>(priv) / 1024.0;
        u.workingSetKiB = static_cast<double>(pmc.WorkingSetSize) / 1024.0;
    }

    // A live process always holds some handle; 0 means the count is not kept.
    DWORD handles = 0;
    g_kernelFromList = !GetProcessHandleCount(process, &handles) || handles == 0;
    u.kernelHandles = g_kernelFromList ? KernelHandlesFromList(pid) : static_cast<long>(handles);

    bool unsupported = false;
    u.gdiObjects = GuiResources(process, GR_GDIOBJECTS, unsupported);
    g_gdiFromTable = unsupported;
    if (unsupported && !GdiObjectsFromTable(process, u))
        u.gdiObjects = -1;
    u.userObjects = GuiResources(process, GR_USEROBJECTS, unsupported);
    g_userFromWindows = unsupported;
    if (unsupported)
        u.userObjects = WindowsOfProcess(pid);
    return u;
}

long WineDcCacheGrowth(const Usage& from, const Usage& to) {
    if (from.displayDcs < 0 || to.displayDcs < 0)
        return 0;
    long n = std::min({to.displayDcs - from.displayDcs, to.dcCompanions - from.dcCompanions,
                       to.regions - from.regions});
    return n > 0 ? n : 0;
}

std::wstring UsageMethods() {
    std::wstring s;
    s += g_privateFromPagefile
             ? L"private bytes = resident anonymous memory (PagefileUsage; PrivateUsage is not "
               L"kept here)"
             : L"private bytes = PrivateUsage";
    s += L"; working set = WorkingSetSize; kernel handles = ";
    s += g_kernelFromList ? L"entries of the system handle list (GetProcessHandleCount gives 0 "
                            L"here)"
                          : L"GetProcessHandleCount";
    s += L"; GDI objects = ";
    s += g_gdiFromTable ? L"non-stock entries of the process's GDI handle table (GetGuiResources "
                          L"is not implemented here)"
                        : L"GetGuiResources";
    s += L"; USER objects = ";
    s += g_userFromWindows ? L"the process's windows, child and message-only windows included "
                             L"(menus and icons are not countable from outside here)"
                           : L"GetGuiResources";
    return s;
}

ObjectList ListObjects(HANDLE process, DWORD pid) {
    ObjectList l;
    ForEachKernelHandle(pid, [&](const SystemHandleEntry& e) {
        l.kernel[e.value] = KernelObjectType(process, e.value);
    });
    std::vector<GdiHandleEntry> entries;
    if (ReadGdiTable(process, entries))
        for (size_t i = 0; i < entries.size(); ++i)
            if (LiveGdiEntry(entries[i]))
                l.gdi[i | (static_cast<unsigned long long>(entries[i].unique) << 16)] =
                    GdiKind(entries[i]);
    WindowListing ctx{pid, &l.windows};
    EnumWindows(ListWindow, reinterpret_cast<LPARAM>(&ctx));
    for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
         h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr))
        ListWindow(h, reinterpret_cast<LPARAM>(&ctx));
    return l;
}

namespace {

std::wstring ChangeOf(const wchar_t* what, const std::map<unsigned long long, std::wstring>& before,
                      const std::map<unsigned long long, std::wstring>& after) {
    std::map<std::wstring, long> net;
    for (const auto& [h, d] : after) {
        auto it = before.find(h);
        if (it == before.end() || it->second != d)
            ++net[d];
    }
    for (const auto& [h, d] : before) {
        auto it = after.find(h);
        if (it == after.end() || it->second != d)
            --net[d];
    }
    std::wstring s;
    for (const auto& [d, n] : net) {
        if (n == 0)
            continue;
        s += s.empty() ? std::wstring(what) + L" " : L", ";
        s += (n > 0 ? L"+" : L"") + std::to_wstring(n) + L" " + d;
    }
    return s;
}

} // namespace

std::wstring DescribeChange(const ObjectList& before, const ObjectList& after) {
    std::wstring out;
    for (const std::wstring& part : {ChangeOf(L"kernel handles", before.kernel, after.kernel),
                                     ChangeOf(L"GDI objects", before.gdi, after.gdi),
                                     ChangeOf(L"windows", before.windows, after.windows)}) {
        if (part.empty())
            continue;
        if (!out.empty())
            out += L"; ";
        out += part;
    }
    return out;
}

} // namespace bench
