#include "base/common_controls.h"

#include "base/error_report.h"
#include "base/system_library.h"

namespace common_controls {

namespace {

HMODULE LoadFromSystem() {
    return system_library::Load(L"comctl32.dll");
}

// The DLL's functions the program calls, all or none.
struct Calls {
    decltype(&::InitCommonControlsEx) initialize = nullptr;
    decltype(&::SetWindowSubclass) setSubclass = nullptr;
    decltype(&::RemoveWindowSubclass) removeSubclass = nullptr;
    decltype(&::DefSubclassProc) defSubclass = nullptr;
    bool classesRegistered = false;
};

Calls calls;

// The functions, looked up once the DLL is there; false, with the failure
// reported, while it is not.
bool Load() {
    if (calls.defSubclass)
        return true;
    HMODULE module = LoadLibraryCall ? LoadLibraryCall() : nullptr;
    if (!module) {
        if (GetLastError() == ERROR_SUCCESS)
            SetLastError(ERROR_MOD_NOT_FOUND);
        ReportSystemError(L"LoadLibraryExW", L"comctl32.dll");
        return false;
    }
    Calls found;
    using system_library::FunctionOf;
    found.initialize = FunctionOf<decltype(found.initialize)>(module, "InitCommonControlsEx");
    found.setSubclass = FunctionOf<decltype(found.setSubclass)>(module, "SetWindowSubclass");
    found.removeSubclass =
        FunctionOf<decltype(found.removeSubclass)>(module, "RemoveWindowSubclass");
    found.defSubclass = FunctionOf<decltype(found.defSubclass)>(module, "DefSubclassProc");
    if (!found.initialize || !found.setSubclass || !found.removeSubclass || !found.defSubclass) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        ReportSystemError(L"GetProcAddress", L"comctl32.dll");
        return false;
    }
    calls = found;
    return true;
}

} // namespace

HMODULE (*LoadLibraryCall)() = &LoadFromSystem;

bool Initialize() {
    if (calls.classesRegistered)
        return true;
    if (!Load())
        return false;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    if (!calls.initialize(&icc)) {
        ReportSystemError(L"InitCommonControlsEx");
        return false;
    }
    calls.classesRegistered = true;
    return true;
}

bool SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData) {
    return Load() && calls.setSubclass(window, proc, id, refData);
}

bool RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
    return Load() && calls.removeSubclass(window, proc, id);
}

LRESULT DefSubclass(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    return calls.defSubclass ? calls.defSubclass(window, msg, wp, lp)
                             : DefWindowProcW(window, msg, wp, lp);
}

} // namespace common_controls
