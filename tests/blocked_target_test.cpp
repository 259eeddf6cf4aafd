// The notice about a window that a program run as administrator owns: when
// it is given, through a seam for the integrity check, and the rule that
// decides from the integrity levels.
#include "winops/blocked_target.h"

#include "base/integrity.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <vector>

using testutil::ThreadWindow;

TEST(BlockedTargetNotice, TellsOncePerRunWhileTheIconIsShownAndNeverForReachableWindows) {
    ThreadWindow blockedWindow, reachableWindow; // two threads
    std::vector<DWORD> asked;
    bool blocked = false;
    BlockedTargetNotice notice([&](DWORD process) {
        asked.push_back(process);
        return blocked;
    });

    // Reachable: never told; presses on the same thread's windows ask once.
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(notice.ShouldTell(ReadWindowIdentity(reachableWindow.Handle()), true));
    EXPECT_EQ(asked, std::vector<DWORD>{GetCurrentProcessId()});

    // Blocked while the icon is hidden: not told, and nothing asked.
    blocked = true;
    asked.clear();
    EXPECT_FALSE(notice.ShouldTell(ReadWindowIdentity(blockedWindow.Handle()), false));
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(notice.ShouldTell(WindowIdentity{}, true));

    // Blocked with the icon shown: to be told until the notice was shown
    // (a balloon the shell refused does not count), then nothing more is
    // asked.
    EXPECT_TRUE(notice.ShouldTell(ReadWindowIdentity(blockedWindow.Handle()), true));
    EXPECT_FALSE(notice.Told());
    EXPECT_TRUE(notice.ShouldTell(ReadWindowIdentity(blockedWindow.Handle()), true));
    notice.MarkTold();
    EXPECT_TRUE(notice.Told());
    EXPECT_FALSE(notice.CanTell(true));
    EXPECT_FALSE(notice.ShouldTell(ReadWindowIdentity(blockedWindow.Handle()), true));
    EXPECT_FALSE(notice.ShouldTell(ReadWindowIdentity(reachableWindow.Handle()), true));
    EXPECT_EQ(asked.size(), 1u);

    // Without a check (the program runs as administrator): never.
    BlockedTargetNotice elevated({});
    EXPECT_FALSE(elevated.CanTell(true));
    EXPECT_FALSE(elevated.ShouldTell(ReadWindowIdentity(blockedWindow.Handle()), true));
}

TEST(Integrity, OnlyAHigherOrRefusedTargetOfACopyBelowHighIsMendedByRestarting) {
    constexpr DWORD low = SECURITY_MANDATORY_LOW_RID, medium = SECURITY_MANDATORY_MEDIUM_RID,
                    high = SECURITY_MANDATORY_HIGH_RID, system = SECURITY_MANDATORY_SYSTEM_RID;
    EXPECT_TRUE(RestartElevatedReaches(medium, {high, false}));
    EXPECT_TRUE(RestartElevatedReaches(medium, {std::nullopt, true})); // token refused
    EXPECT_TRUE(RestartElevatedReaches(low, {medium, false}));
    EXPECT_FALSE(RestartElevatedReaches(medium, {medium, false}));
    EXPECT_FALSE(RestartElevatedReaches(medium, {low, false}));
    EXPECT_FALSE(RestartElevatedReaches(medium, {std::nullopt, false})); // has ended
    // Run as administrator, restarting mends nothing.
    EXPECT_FALSE(RestartElevatedReaches(high, {system, false}));
    EXPECT_FALSE(RestartElevatedReaches(high, {std::nullopt, true}));

    // The system's reading of this process is its own level, and a process
    // never blocks itself.
    const IntegrityReading self = ProcessIntegrity(GetCurrentProcessId());
    ASSERT_TRUE(self.level.has_value());
    EXPECT_EQ(*self.level, OwnIntegrityLevel());
    const auto check = SystemBlockedCheck();
    EXPECT_EQ(check == nullptr, IsElevatedLevel(OwnIntegrityLevel()));
    EXPECT_TRUE(!check || !check(GetCurrentProcessId()));
}
