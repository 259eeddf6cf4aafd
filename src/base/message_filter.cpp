#include "base/message_filter.h"

#include "base/error_report.h"

namespace message_filter {

std::function<BOOL(HWND, UINT, DWORD)> Change = [](HWND window, UINT message, DWORD action) {
    return ChangeWindowMessageFilterEx(window, message, action, nullptr);
};

void AllowFromLowerLevels(HWND window, UINT message) {
    if (!window || !Change)
        return;
    if (!Change(window, message, MSGFLT_ALLOW))
        ReportSystemError(L"ChangeWindowMessageFilterEx");
}

} // namespace message_filter
