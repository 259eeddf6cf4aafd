#include "base/com_apartment.h"

#include "base/error_report.h"
#include "base/system_library.h"

#include <objbase.h>

namespace {

template <class Fn> Fn Ole32(const char* name) {
    return system_library::Function<Fn>(L"ole32.dll", name);
}

class ComApartment {
  public:
    ComApartment() {
        using Initialize = HRESULT(WINAPI*)(void*, DWORD);
        static const auto initialize = Ole32<Initialize>("CoInitializeEx");
        HRESULT hr = initialize
                         ? initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
                         : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
        initialised_ = SUCCEEDED(hr);
        if (!initialised_)
            ReportSystemError(L"CoInitializeEx", {}, static_cast<DWORD>(hr));
    }
    ~ComApartment() {
        using Uninitialize = void(WINAPI*)();
        static const auto uninitialize = Ole32<Uninitialize>("CoUninitialize");
        if (initialised_ && uninitialize)
            uninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool initialised_ = false;
};

} // namespace

void EnsureComApartment() {
    static const ComApartment apartment;
}

HRESULT CreateComObject(REFCLSID cls, REFIID iid, void** object) {
    using Create = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
    static const auto create = Ole32<Create>("CoCreateInstance");
    *object = nullptr;
    if (!create)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    EnsureComApartment();
    return create(cls, nullptr, CLSCTX_INPROC_SERVER, iid, object);
}

void FreeComMemory(void* block) {
    using Free = void(WINAPI*)(void*);
    static const auto freeMemory = Ole32<Free>("CoTaskMemFree");
    if (block && freeMemory)
        freeMemory(block);
}
