// The window system's message filter of a program run as administrator:
// messages from programs at a lower integrity level (the shell, a copy of
// Quorel started normally) are dropped unless a window lets them through.
#pragma once

#include <windows.h>

#include <functional>

namespace message_filter {

// The system call, ChangeWindowMessageFilterEx with no extended result,
// unless replaced (tests record the calls through it).
extern std::function<BOOL(HWND window, UINT message, DWORD action)> Change;

// Lets message through to window from programs at a lower integrity level.
// A program at medium level gains nothing by it and loses nothing either.
// A refusal goes to the standard error report.
void AllowFromLowerLevels(HWND window, UINT message);

} // namespace message_filter
