// The program's help: every help request passes through one hook, then to
// the help file beside the executable.
#pragma once

#include <windows.h>

#include <string>

class Help {
  public:
    // Help for the program at exePath, shown with owner as its owner.
    Help(HWND owner, std::wstring exePath);

    // One help request (HELP_FINDER, HELP_CONTEXT with a topic number,
    // HELP_QUIT). A context request for topic 0 is dropped.
    void Request(unsigned command, unsigned long data);

    // The help file: the executable's path with the help extension.
    const std::wstring& File() const { return file_; }

  private:
    HWND owner_;
    std::wstring file_;
};

// The program-wide hook every help request passes: it may stop the request
// by clearing callHelp. Drops context requests for topic 0 (F1 on a control
// without a help topic).
bool ApplicationHelp(unsigned command, unsigned long data, bool& callHelp);
