// The notice about a window that the commands cannot reach: a window of a
// program run as administrator, while Quorel runs without. The window
// system then silently ignores every command on it, so the user is told
// once why nothing happened, and how to mend it.
#pragma once

#include "winops/window_identity.h"

#include <windows.h>

#include <functional>
#include <utility>

class BlockedTargetNotice {
  public:
    // Whether the windows of a process are out of reach in a way that
    // restarting Quorel as administrator mends. Empty: nothing can be (the
    // program runs as administrator already).
    using BlockedCheck = std::function<bool(DWORD processId)>;

    explicit BlockedTargetNotice(BlockedCheck blocked) : blocked_(std::move(blocked)) {}

    // Whether a notice can still follow: the icon is shown, nothing told
    // yet, and some window could be blocked at all.
    bool CanTell(bool iconShown) const { return iconShown && !told_ && blocked_ != nullptr; }

    // A command is about to act on the window of target (the foreground
    // window at the press). True
    // when the user is to be told now: the tray icon is shown, the user has
    // not been told in this run, and target's process is blocked; the
    // notice counts as given once MarkTold says it was shown. The check is
    // asked only while a notice
    // can still follow, and once for a run of presses on the windows of
    // one thread; it never waits on the target's program.
    bool ShouldTell(const WindowIdentity& target, bool iconShown);

    // The notice was shown: no other follows in this run.
    void MarkTold() { told_ = true; }
    bool Told() const { return told_; }

  private:
    BlockedCheck blocked_;
    bool told_ = false;
    // The last target thread that was checked, and the answer.
    DWORD lastThread_ = 0;
    DWORD lastProcess_ = 0;
    bool lastBlocked_ = false;
};

// The check on this system: the process's integrity level against the
// program's own (read once, now); empty when the program runs as
// administrator.
BlockedTargetNotice::BlockedCheck SystemBlockedCheck();
