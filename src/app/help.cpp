#include "app/help.h"

#include "base/error_report.h"
#include "base/names.h"

bool ApplicationHelp(unsigned command, unsigned long data, bool& callHelp) {
    if (command == HELP_CONTEXT && data == 0)
        callHelp = false;
    return true;
}

Help::Help(HWND owner, std::wstring exePath)
    : owner_(owner), file_(ChangeFileExt(exePath, names::kHelpFileExtension)) {}

void Help::Request(unsigned command, unsigned long data) {
    bool callHelp = true;
    ApplicationHelp(command, data, callHelp);
    if (!callHelp)
        return;
    WinHelpW(owner_, file_.c_str(), command, data);
}
