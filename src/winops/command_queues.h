// The order in which the window commands run. Each window has a queue of
// its own, so that it gets its commands in the order of the key presses;
// and since a thread handles the messages of all its windows one at a
// time, one command at a time runs per thread that owns windows, while
// the commands of other threads go on. A program that stops reading its
// messages holds up only its own windows.
//
// Restore-all and minimize-all give a command to each of several windows
// in turn: each starts once the one before it has finished, or once that
// one has had TurnWaitMs without finishing (its program is busy or stuck:
// its command stays in its window's queue and runs when it can). A thread
// that has let its turn pass is not waited for again within the same list,
// nor is one that has been held up by an earlier command for longer than
// a turn.
//
// Pure logic: the caller reads the clock (milliseconds) and runs the
// commands; nothing here calls the system.
#pragma once

#include "winops/window_commands.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// How long a command given in turn is waited for before the next one starts.
// A live program minimizes or restores a window within a few milliseconds,
// a slow one within a few hundred.
constexpr unsigned long long TurnWaitMs = 300;

class CommandQueues {
  public:
    using Thread = std::uint32_t; // the thread that owns the command's window
    using Id = std::uint64_t;     // a command's number, in the order added

    struct Job {
        Id id;
        Thread thread;
        WindowCommand command;
    };

    explicit CommandQueues(unsigned long long turnWaitMs = TurnWaitMs) : turnWait_(turnWaitMs) {}

    // One command, after everything already queued for its window.
    Id Add(Thread thread, const WindowCommand& command);
    // Commands given in turn (see above), each after everything already
    // queued for its window. An empty list adds nothing.
    void AddInTurn(const std::vector<std::pair<Thread, WindowCommand>>& list,
                   unsigned long long now);

    // The command a free worker starts next: of the windows whose first
    // command may start and whose thread runs nothing, the command added
    // earliest. Its thread is busy until Finish.
    std::optional<Job> Take(unsigned long long now);
    // The command has returned: its thread is free for the next one. Does
    // not allocate.
    void Finish(Id id, unsigned long long now);

    // How many commands could start at now, one per thread.
    std::size_t Ready(unsigned long long now);
    // Milliseconds from now until a turn opens by time; nothing while no
    // turn is waited for.
    std::optional<unsigned long long> NextTurnIn(unsigned long long now) const;
    // Nothing queued and nothing running.
    bool Empty() const { return queues_.empty(); }

  private:
    struct Entry {
        Id id;
        WindowCommand command;
        bool mayStart; // false while its turn has not come
    };
    struct Queue {
        HWND window;
        Thread thread;
        std::vector<Entry> entries; // the first one is the one running
        bool running = false;
        unsigned long long runningSince = 0;
    };
    struct TurnItem {
        Id id;
        Thread thread;
        bool passed = false; // its turn went by without it finishing
    };
    struct TurnList {
        std::vector<TurnItem> items;
        std::size_t current = 0; // the item whose turn it is
        unsigned long long openedAt = 0, wait = 0;
        bool currentFinished = false;
    };

    Id Enqueue(Thread thread, const WindowCommand& command, bool mayStart);
    Entry* FindEntry(Id id);
    bool Running(Thread thread) const;
    // Whether the queue's first command may start now.
    bool Startable(const Queue& q) const;
    // Gives the turn to item i of a list at now.
    void Open(TurnList& list, std::size_t i, unsigned long long now);
    // Moves every list past the turns that have finished or timed out.
    void Advance(unsigned long long now);

    unsigned long long turnWait_;
    Id next_ = 1;
    std::vector<Queue> queues_;
    std::vector<TurnList> turns_;
};
