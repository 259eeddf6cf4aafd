#include "app/help.h"

#include "base/error_report.h"
#include "base/handles.h"
#include "base/names.h"
#include "ui/help_window.h"

namespace {

// How long the end of the program waits for the help viewer to close.
constexpr DWORD kQuitWaitMs = 2000;

struct WinHelpCall {
    HWND owner;
    std::wstring file;
    UINT command;
    ULONG_PTR data;
};

DWORD WINAPI WinHelpThread(LPVOID param) {
    std::unique_ptr<WinHelpCall> call(static_cast<WinHelpCall*>(param));
    WinHelpW(call->owner, call->file.c_str(), call->command, call->data);
    return 0;
}

// Hands a request to the system's help viewer on a thread of its own: the
// viewer may take its time to start, or hold the request while it waits on
// its user, and the program must keep answering meanwhile. Waits for the
// request at most waitMs.
void CallWinHelp(HWND owner, const std::wstring& file, UINT command, ULONG_PTR data, DWORD waitMs) {
    auto call = std::make_unique<WinHelpCall>(WinHelpCall{owner, file, command, data});
    handles::UniqueHandle thread{CreateThread(nullptr, 0, &WinHelpThread, call.get(), 0, nullptr)};
    if (!thread) {
        ReportSystemError(L"CreateThread");
        return;
    }
    static_cast<void>(call.release()); // the thread frees it
    if (waitMs)
        WaitForSingleObject(thread.get(), waitMs);
}

bool FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

bool ApplicationHelp(unsigned command, unsigned long data, bool& callHelp) {
    if (command == HELP_CONTEXT && data == 0)
        callHelp = false;
    return true;
}

Help::Help(HWND owner, HWND windowOwner, std::wstring exePath)
    : owner_(owner), windowOwner_(windowOwner),
      file_(ChangeFileExt(exePath, names::kHelpFileExtension)) {}

Help::~Help() = default;

void Help::Request(unsigned command, unsigned long data, HWND beside) {
    bool callHelp = true;
    ApplicationHelp(command, data, callHelp);
    if (!callHelp)
        return;
    bool hasFile = FileExists(file_);
    if (command == HELP_QUIT) {
        window_.reset();
        if (hasFile)
            CallWinHelp(owner_, file_, command, data, kQuitWaitMs);
        return;
    }
    if (hasFile)
        CallWinHelp(owner_, file_, command, data, 0);
    else
        ShowWindowOn(HelpTopicOfRequest(command, data), beside);
}

void Help::ShowWindowOn(HelpTopic topic, HWND beside) {
    if (!window_ || !window_->Handle()) {
        window_.reset();
        window_ = std::make_unique<HelpWindow>(windowOwner_);
        window_->TopicText = TopicText;
        window_->OnModeless = OnModeless;
        window_->OnClosed = OnClosed;
    }
    window_->Show(topic, beside);
}

void Help::Refresh() {
    if (window_)
        window_->Refresh();
}

HWND Help::Window() const {
    return window_ ? window_->Handle() : nullptr;
}
