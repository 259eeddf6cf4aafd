#include "winops/blocked_target.h"

#include "base/integrity.h"

bool BlockedTargetNotice::ShouldTell(const WindowIdentity& target, bool iconShown) {
    const DWORD thread = target.thread, process = target.process;
    if (!CanTell(iconShown) || !thread)
        return false;
    if (thread != lastThread_ || process != lastProcess_) {
        lastThread_ = thread;
        lastProcess_ = process;
        lastBlocked_ = blocked_(process);
    }
    return lastBlocked_;
}

BlockedTargetNotice::BlockedCheck SystemBlockedCheck() {
    const DWORD own = OwnIntegrityLevel();
    if (IsElevatedLevel(own))
        return {};
    return [own](DWORD process) { return RestartElevatedReaches(own, ProcessIntegrity(process)); };
}
