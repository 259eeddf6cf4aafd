// Integrity levels: the mandatory label the system gives each process's
// token (low, medium for a program started normally, high for one started
// as administrator, system). The window system keeps a program from
// moving, sizing or sending messages to the windows of a program at a
// higher level than its own (User Interface Privilege Isolation).
#pragma once

#include <windows.h>

#include <optional>

// What could be learnt of a process's integrity level.
struct IntegrityReading {
    std::optional<DWORD> level; // SECURITY_MANDATORY_..._RID, when read
    bool denied = false;        // the system refused to open the process or its token
};

// The level of a process, read from its token without waiting on the
// process. A program started normally is refused the token of one started
// as administrator (denied).
IntegrityReading ProcessIntegrity(DWORD processId);

// This program's own level; medium when it cannot be read.
DWORD OwnIntegrityLevel();

// A level at which a program runs as administrator (high or above).
constexpr bool IsElevatedLevel(DWORD level) {
    return level >= SECURITY_MANDATORY_HIGH_RID;
}

// Whether the windows of a process, read as target, are kept out of reach
// of a program at level own in a way that restarting it as administrator
// mends: own is below high, and the target's level is above own or its
// token was refused (which is how an elevated program looks from a normal
// one). An unreadable process that was not refused (it has just ended)
// counts as reachable.
constexpr bool RestartElevatedReaches(DWORD own, const IntegrityReading& target) {
    if (IsElevatedLevel(own))
        return false;
    if (target.level)
        return *target.level > own;
    return target.denied;
}
