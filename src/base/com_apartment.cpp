#include "base/com_apartment.h"

#include "base/error_report.h"

#include <windows.h>
#include <objbase.h>

namespace {

class ComApartment {
  public:
    ComApartment() {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        initialised_ = SUCCEEDED(hr);
        if (!initialised_)
            ReportSystemError(L"CoInitializeEx", {}, static_cast<DWORD>(hr));
    }
    ~ComApartment() {
        if (initialised_)
            CoUninitialize();
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
