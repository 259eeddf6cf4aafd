// The program's help: every help request passes through one hook; then the
// help file beside the executable answers it when there is one, and the
// program's built-in help window otherwise.
#pragma once

#include "ui/help_topics.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class HelpWindow;

class Help {
  public:
    // Help for the program at exePath: requests for the help file go to
    // the system's viewer with owner as their owner; the built-in help
    // window is owned by windowOwner.
    Help(HWND owner, HWND windowOwner, std::wstring exePath);
    ~Help();
    Help(const Help&) = delete;
    Help& operator=(const Help&) = delete;

    // One help request (HELP_FINDER, HELP_CONTEXT with a topic number,
    // HELP_QUIT). A context request for topic 0 is dropped. HELP_QUIT
    // closes the help; any other request shows the topic it asks for. The
    // program never waits on the system's viewer. A request made from a
    // window (the options dialog) passes it as beside: the built-in help
    // window then opens beside it instead of over it.
    void Request(unsigned command, unsigned long data, HWND beside = nullptr);

    // The help file: the executable's path with the help extension.
    const std::wstring& File() const { return file_; }

    // Builds the open help window's text again (the settings or the
    // registrations have changed).
    void Refresh();
    // The built-in help window while it is open, nullptr otherwise.
    HWND Window() const;

    // What the built-in help window takes from the program, set by the
    // owner of this object; each is skipped when empty.
    std::function<std::wstring(HelpTopic)> TopicText;
    std::function<void(HWND window)> OnModeless;
    std::function<void(HWND window)> OnClosed;

  private:
    void ShowWindowOn(HelpTopic topic, HWND beside);

    HWND owner_;
    HWND windowOwner_;
    std::wstring file_;
    std::unique_ptr<HelpWindow> window_;
};

// The program-wide hook every help request passes: it may stop the request
// by clearing callHelp. Drops context requests for topic 0 (F1 on a control
// without a help topic).
bool ApplicationHelp(unsigned command, unsigned long data, bool& callHelp);
