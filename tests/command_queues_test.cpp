// The order of the window commands, on its own: per-window queues, one
// command at a time per thread, and lists given in turn. Window handles
// and threads are plain numbers here; nothing is called on them.
#include "winops/command_queues.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

HWND Wnd(int n) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1000 + n));
}

WindowCommand MoveOf(int window, Direction d = Down) {
    return WindowCommand{WindowCommand::Action::Move, Wnd(window), 0, d, 5};
}

// The window of the command a worker takes next, or 0 when none may start.
int Next(CommandQueues& q, unsigned long long now, CommandQueues::Id* id = nullptr) {
    auto job = q.Take(now);
    if (!job)
        return 0;
    if (id)
        *id = job->id;
    return static_cast<int>(reinterpret_cast<INT_PTR>(job->command.window) - 0x1000);
}

} // namespace

TEST(CommandQueues, AWindowsCommandsRunInOrderOneAtATimePerThreadWhileOtherThreadsGoOn) {
    CommandQueues q;
    const auto first = q.Add(1, MoveOf(1, Down));
    q.Add(1, MoveOf(1, Right));
    q.Add(1, MoveOf(3)); // another window of the same thread
    q.Add(2, MoveOf(2));
    EXPECT_EQ(q.Ready(0), 2u);

    auto job = q.Take(0);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->id, first);
    EXPECT_EQ(job->thread, 1u);
    EXPECT_EQ(job->command.direction, Down);
    // Thread 1 is busy (its program may not answer): thread 2 goes on.
    EXPECT_EQ(Next(q, 0), 2);
    EXPECT_EQ(Next(q, 5000), 0);
    EXPECT_EQ(q.Ready(5000), 0u);

    // Once the first has returned, the earliest added of thread 1 is next.
    q.Finish(first, 6000);
    CommandQueues::Id id = 0;
    job = q.Take(6000);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->command.direction, Right);
    q.Finish(job->id, 6000);
    EXPECT_EQ(Next(q, 6000, &id), 3);
    q.Finish(id, 6000);
    EXPECT_EQ(Next(q, 6000), 0);
    EXPECT_FALSE(q.Empty()); // window 2's command still runs
}

TEST(CommandQueues, InTurnEachStartsOnceTheOneBeforeHasFinishedOrHasHadItsWait) {
    CommandQueues q(300);
    q.AddInTurn({{1, MoveOf(1)}, {2, MoveOf(2)}, {3, MoveOf(3)}}, 0);
    CommandQueues::Id a = 0, b = 0;
    EXPECT_EQ(Next(q, 0, &a), 1);
    EXPECT_EQ(Next(q, 0), 0);
    EXPECT_EQ(q.NextTurnIn(100), 200u);
    // A window that answers: the next starts when it has finished.
    q.Finish(a, 120);
    EXPECT_EQ(Next(q, 120, &b), 2);
    // One that does not: the next starts after the wait.
    EXPECT_EQ(Next(q, 419), 0);
    EXPECT_EQ(Next(q, 420), 3);
    // Nothing comes after the last: it is not waited for.
    EXPECT_FALSE(q.NextTurnIn(420));
    q.Finish(b, 9000);
}

TEST(CommandQueues, AThreadThatLetsItsTurnPassIsNotWaitedForAgainAndGetsItsCommandsLaterOnce) {
    CommandQueues q(300);
    q.AddInTurn({{1, MoveOf(1)}, {2, MoveOf(2)}, {1, MoveOf(4)}, {3, MoveOf(3)}}, 0);
    CommandQueues::Id stuck = 0, id = 0;
    EXPECT_EQ(Next(q, 0, &stuck), 1);
    EXPECT_EQ(Next(q, 300, &id), 2);
    // Window 4 belongs to the thread that let its turn pass: window 3 is
    // next at once.
    q.Finish(id, 310);
    EXPECT_EQ(Next(q, 310, &id), 3);
    q.Finish(id, 320);
    EXPECT_EQ(Next(q, 320), 0);
    // The stuck thread answers at last: its other window gets its command,
    // once.
    q.Finish(stuck, 8000);
    EXPECT_EQ(Next(q, 8000, &id), 4);
    q.Finish(id, 8001);
    EXPECT_EQ(Next(q, 8001), 0);
    EXPECT_TRUE(q.Empty());
}

TEST(CommandQueues, ALaterPressWaitsOnlyForItsOwnWindowsTurn) {
    CommandQueues q(300);
    CommandQueues::Id held = 0, id = 0;
    // Thread 1 has been in a call for a second: its turn is not waited for.
    q.Add(1, MoveOf(1));
    EXPECT_EQ(Next(q, 0, &held), 1);
    q.AddInTurn({{1, MoveOf(1)}, {2, MoveOf(2)}, {3, MoveOf(3)}}, 1000);
    q.Add(2, MoveOf(2, Up)); // after window 2's turn in the list
    q.Add(2, MoveOf(5));     // another window of thread 2: not held by the list
    EXPECT_EQ(Next(q, 1000, &id), 2);
    EXPECT_EQ(Next(q, 1000), 0); // thread 2 is busy with window 2
    q.Finish(id, 1001);
    // The rest in the order added, one at a time per thread: window 3's
    // turn, window 2's later move, then window 5.
    EXPECT_EQ(Next(q, 1300, &id), 3);
    auto job = q.Take(1300);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->command.window, Wnd(2));
    EXPECT_EQ(job->command.direction, Up);
    q.Finish(job->id, 1301);
    EXPECT_EQ(Next(q, 1301), 5);
}
