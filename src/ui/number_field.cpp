#include "ui/number_field.h"

#include "base/common_controls.h"

namespace ui {
namespace {

constexpr UINT_PTR kSubclassId = 0x4E46; // "NF"

LRESULT CALLBACK GuardProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) {
    switch (msg) {
    case WM_CHAR:
        wp = HalfWidthDigit(static_cast<wchar_t>(wp));
        break;
    case WM_NCDESTROY:
        common_controls::RemoveSubclass(edit, &GuardProc, id);
        break;
    default:
        break;
    }
    return common_controls::DefSubclass(edit, msg, wp, lp);
}

} // namespace

void GuardNumberField(HWND edit) {
    if (edit)
        common_controls::SetSubclass(edit, &GuardProc, kSubclassId, 0);
}

} // namespace ui
