// The order in which the window commands run. Each window has a queue of
// its own, so that it gets its commands in the order of the key presses;
// and since a thread handles the messages of all its windows one at a
// time, one command at a time runs per thread that owns windows, while
// the commands of other threads go on. A program that stops reading its
// messages holds up only its own windows.
//
// A thread that is inside a modal loop (a prompt, a message box, a menu, a
// move or size loop) reads its messages all the same, also when a command
// opened the loop and its call has not returned yet: the prompt a close
// opens is the usual case. When a thread's command has been in its call for
// ProbeAfterMs and another command for the thread waits, a worker asks the
// thread a harmless question (Job::Probe). A thread that answers is inside
// a modal loop: that call is parked, and the thread's next command starts
// beside it. One that does not answer holds its later commands; it is
// asked again after ProbeAgainMs.
//
// A command that has not started within MaxCommandAgeMs of its press is
// dropped: by then the user has moved on, and a held key's backlog would
// fling the window off the screen.
//
// Restore-all and minimize-all give a command to each of several windows
// in turn: each starts once the one before it has finished, or once that
// one has had TurnWaitMs without finishing (its program is busy or stuck:
// its command stays in its window's queue and runs when it can). A thread
// that has let its turn pass is not waited for again within the same list,
// nor is one that has been held up by an earlier command for longer than
// a turn. A command given in turn has its age counted from its turn.
//
// Pure logic: the caller reads the clock (milliseconds), runs the commands
// and asks the questions; nothing here calls the system.
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
// A command not started this long after its press is dropped (Windows
// calls a window that has not answered for five seconds "not responding").
constexpr unsigned long long MaxCommandAgeMs = 5000;
// How long a command is in its call before its thread is asked whether it
// answers, and how long after an unanswered question it is asked again.
constexpr unsigned long long ProbeAfterMs = 50;
constexpr unsigned long long ProbeAgainMs = 250;
// Questions asked at the same time, at most.
constexpr unsigned MaxProbes = 4;

class CommandQueues {
  public:
    using Thread = std::uint32_t; // the thread that owns the command's window
    using Id = std::uint64_t;     // a command's number, in the order added

    struct Job {
        enum class Kind : unsigned char {
            Run,     // carry the command out, then Finish
            Confirm, // carry it out only if its thread answers, then Finish
            Probe,   // ask whether the thread of command id answers, then Probed
        };
        Kind kind;
        Id id;
        Thread thread;
        WindowCommand command; // Probe: the command in its call
    };

    explicit CommandQueues(unsigned long long turnWaitMs = TurnWaitMs) : turnWait_(turnWaitMs) {}

    // One command pressed at now, after everything already queued for its
    // window.
    Id Add(Thread thread, const WindowCommand& command, unsigned long long now = 0);
    // Commands given in turn (see above), each after everything already
    // queued for its window. An empty list adds nothing.
    void AddInTurn(const std::vector<std::pair<Thread, WindowCommand>>& list,
                   unsigned long long now);

    // What a free worker does next: of the windows whose next command may
    // start and whose thread is free (running nothing, or only calls
    // parked in a modal loop), the command added earliest; its thread is
    // busy until Finish. confirmFirst: as Confirm, for when workers run
    // short and a thread that does not answer must not get one. Without
    // such a command, a question that is due. Commands too old to start are
    // dropped here.
    std::optional<Job> Take(unsigned long long now, bool confirmFirst = false);
    // The command of a Run or Confirm job has returned (or was not carried
    // out): its thread is free for the next one. Does not allocate.
    void Finish(Id id, unsigned long long now);
    // The answer to a Probe job: answered, the call of command id is parked
    // and its thread's next command may start.
    void Probed(Id id, bool answered, unsigned long long now);

    // How many jobs could start at now: one command per thread, and the
    // questions that are due.
    std::size_t Ready(unsigned long long now);
    // Milliseconds from now until a turn opens by time; nothing while no
    // turn is waited for.
    std::optional<unsigned long long> NextTurnIn(unsigned long long now) const;
    // Milliseconds from now until a turn opens or a question falls due;
    // nothing while neither is waited for.
    std::optional<unsigned long long> NextDueIn(unsigned long long now);
    // Nothing queued and nothing running.
    bool Empty() const { return queues_.empty(); }

  private:
    struct Entry {
        Id id;
        WindowCommand command;
        bool mayStart;            // false while its turn has not come
        unsigned long long since; // pressed, or its turn opened: its age
        bool running = false;
        bool parked = false;  // its call is inside a modal loop of its thread
        bool probing = false; // a question about its thread is out
        unsigned long long startedAt = 0;
        unsigned long long probedAt = 0; // the last unanswered question ended
    };
    struct Queue {
        HWND window;
        Thread thread;
        // In the order added; the ones that have started come first.
        std::vector<Entry> entries;
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

    Id Enqueue(Thread thread, const WindowCommand& command, bool mayStart, unsigned long long now);
    Entry* FindEntry(Id id);
    // The thread runs a command that is not parked.
    bool Busy(Thread thread) const;
    // The queue's first command that has not started, if it may start as
    // far as its own queue goes.
    static const Entry* Waiting(const Queue& q);
    // Whether the queue's next command may start now.
    bool Startable(const Queue& q) const;
    struct Candidate {
        Queue* queue = nullptr;
        Entry* entry = nullptr;
    };
    // Of the running, unparked commands that another command of their
    // thread waits behind, and that no question is out about: the one a
    // question is due about at now whose waiting command was added
    // earliest; count: how many are due; in: how soon the next one falls
    // due after now.
    Candidate ProbeCandidate(unsigned long long now, std::size_t* count = nullptr,
                             std::optional<unsigned long long>* in = nullptr);
    // Gives the turn to item i of a list at now.
    void Open(TurnList& list, std::size_t i, unsigned long long now);
    // Drops the commands too old to start, then moves every list past the
    // turns that have finished, been dropped or timed out.
    void Advance(unsigned long long now);

    unsigned long long turnWait_;
    Id next_ = 1;
    unsigned probes_ = 0; // questions out
    std::vector<Queue> queues_;
    std::vector<TurnList> turns_;
};
