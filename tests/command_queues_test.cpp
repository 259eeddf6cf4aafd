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

// The window of the command a worker takes next, or 0 when none may start;
// a question about a busy thread goes unanswered.
int Next(CommandQueues& q, unsigned long long now, CommandQueues::Id* id = nullptr) {
    auto job = q.Take(now);
    while (job && job->kind == CommandQueues::Job::Kind::Probe) {
        q.Probed(job->id, false, now);
        job = q.Take(now);
    }
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
    EXPECT_EQ(Next(q, 3000), 0);
    EXPECT_EQ(q.Ready(3000), 0u);

    // Once the first has returned, the earliest added of thread 1 is next.
    q.Finish(first, 4000);
    CommandQueues::Id id = 0;
    job = q.Take(4000);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->command.direction, Right);
    q.Finish(job->id, 4000);
    EXPECT_EQ(Next(q, 4000, &id), 3);
    q.Finish(id, 4000);
    EXPECT_EQ(Next(q, 4000), 0);
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
    q.Finish(stuck, 3000);
    EXPECT_EQ(Next(q, 3000, &id), 4);
    q.Finish(id, 3001);
    EXPECT_EQ(Next(q, 3001), 0);
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

TEST(CommandQueues, AThreadInAModalLoopGetsItsNextCommandsInOrderOneThatDoesNotAnswerHoldsThem) {
    CommandQueues q;
    using Kind = CommandQueues::Job::Kind;
    // A close on window 1 opens a prompt (window 2, same thread) inside its call.
    const auto close = q.Add(1, MoveOf(1), 0);
    ASSERT_EQ(Next(q, 0), 1);
    q.Add(1, MoveOf(2), 20);
    EXPECT_FALSE(q.Take(20)); // too early to ask
    auto probe = q.Take(ProbeAfterMs);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->kind, Kind::Probe);
    EXPECT_EQ(probe->id, close);
    EXPECT_FALSE(q.Take(ProbeAfterMs)); // one question per thread
    // It answers: the prompt's moves run beside the close, in the order pressed.
    q.Probed(close, true, 60);
    q.Add(1, MoveOf(2, Up), 61);
    CommandQueues::Id id = 0;
    auto job = q.Take(61);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->kind, Kind::Run);
    EXPECT_EQ(job->command.direction, Down);
    EXPECT_FALSE(q.Take(62));
    q.Finish(job->id, 62);
    job = q.Take(62);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->command.direction, Up);
    q.Finish(job->id, 63);
    q.Finish(close, 70);
    EXPECT_TRUE(q.Empty());

    // A thread that does not answer holds its later commands and is asked again later.
    const auto stuck = q.Add(3, MoveOf(3), 1000);
    ASSERT_EQ(Next(q, 1000), 3);
    q.Add(3, MoveOf(4), 1010);
    probe = q.Take(1100);
    ASSERT_TRUE(probe);
    q.Probed(stuck, false, 1200);
    EXPECT_FALSE(q.Take(1300));
    EXPECT_EQ(q.NextDueIn(1300), ProbeAgainMs - 100);
    ASSERT_TRUE(q.Take(1200 + ProbeAgainMs));
    q.Probed(stuck, false, 1600);
    q.Finish(stuck, 2000);
    EXPECT_EQ(Next(q, 2000, &id), 4);
    q.Finish(id, 2001);
    // Short of workers, a command is carried out only if its thread answers.
    q.Add(5, MoveOf(5), 3000);
    job = q.Take(3000, true);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->kind, Kind::Confirm);
}

TEST(CommandQueues, ACommandNotStartedWithinFiveSecondsOfItsPressIsDropped) {
    CommandQueues q;
    // Ten presses on a thread that answers again after a second: ten steps.
    CommandQueues::Id first = 0, id = 0;
    for (int i = 0; i < 10; ++i)
        q.Add(1, MoveOf(1), 10 * i);
    ASSERT_EQ(Next(q, 0, &first), 1);
    q.Finish(first, 1000);
    int steps = 1;
    for (unsigned long long now = 1000; Next(q, now, &id) == 1; ++now, ++steps)
        q.Finish(id, now);
    EXPECT_EQ(steps, 10);
    EXPECT_TRUE(q.Empty());

    // A backlog older than five seconds is dropped, the call in progress is not.
    q.Add(2, MoveOf(2), 0);
    ASSERT_EQ(Next(q, 0, &first), 2);
    q.Add(2, MoveOf(2), 100);
    q.Add(2, MoveOf(2), 200);
    q.Finish(first, 100 + MaxCommandAgeMs + 1);
    auto job = q.Take(100 + MaxCommandAgeMs + 1);
    ASSERT_TRUE(job);
    q.Finish(job->id, 200 + MaxCommandAgeMs + 1);
    EXPECT_FALSE(q.Take(200 + MaxCommandAgeMs + 1));
    EXPECT_TRUE(q.Empty());

    // Given in turn, a command's age counts from its turn; a held thread's turn is not waited for.
    q.Add(3, MoveOf(3), 0);
    ASSERT_EQ(Next(q, 0, &first), 3); // thread 3 stuck
    q.AddInTurn({{4, MoveOf(4)}, {3, MoveOf(5)}, {6, MoveOf(6)}}, 6000);
    EXPECT_EQ(Next(q, 6000, &id), 4);
    q.Finish(id, 6001);
    EXPECT_EQ(Next(q, 6001, &id), 6);
    q.Finish(id, 6002);
    EXPECT_EQ(Next(q, 6000 + MaxCommandAgeMs), 0);
    q.Finish(first, 6002 + MaxCommandAgeMs);
    EXPECT_EQ(Next(q, 6002 + MaxCommandAgeMs), 0);
    EXPECT_TRUE(q.Empty());
}
