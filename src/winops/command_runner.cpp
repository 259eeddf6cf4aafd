#include "winops/command_runner.h"

#include "base/error_report.h"
#include "winops/command_queues.h"

#include <new>

// Everything the workers and the program's thread share, under one lock.
// The lock is held only for the bookkeeping, never across a call that
// waits for another program.
struct CommandRunnerState {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE work = CONDITION_VARIABLE_INIT;  // a command may be ready, or stop
    CONDITION_VARIABLE ended = CONDITION_VARIABLE_INIT; // a worker has ended
    CommandQueues queues;
    unsigned maxWorkers = MaxCommandWorkers;
    unsigned workers = 0; // started and not ended
    unsigned idle = 0;    // of those, the ones not carrying out a command
    bool stopping = false;
};

namespace {

using State = CommandRunnerState;
using StatePtr = std::shared_ptr<State>;

class Locked {
  public:
    explicit Locked(State& s) : s_(s) { AcquireSRWLockExclusive(&s_.lock); }
    ~Locked() { ReleaseSRWLockExclusive(&s_.lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

  private:
    State& s_;
};

DWORD WINAPI WorkerMain(void* param);

// A worker only makes a few calls into the system; the program's default
// stack of megabytes is far more than it needs.
constexpr SIZE_T kWorkerStackBytes = 256 * 1024;

// With the lock held. A new worker counts as idle from its start.
void StartWorker(const StatePtr& s) {
    auto* share = new (std::nothrow) StatePtr(s);
    if (!share)
        return;
    HANDLE thread = CreateThread(nullptr, kWorkerStackBytes, &WorkerMain, share,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) {
        ReportSystemError(L"CreateThread");
        delete share;
        return;
    }
    CloseHandle(thread);
    ++s->workers;
    ++s->idle;
}

// With the lock held: another worker when more jobs are ready than
// workers are idle, or when none is idle to notice a turn that opens or a
// question that falls due by time.
void StartWorkersFor(const StatePtr& s, ULONGLONG now) {
    if (s->stopping || s->workers >= s->maxWorkers)
        return;
    std::size_t wanted = s->queues.Ready(now) + (s->queues.NextDueIn(now) ? 1 : 0);
    if (wanted > s->idle)
        StartWorker(s);
}

// Whether the window's thread reads its messages: a WM_NULL, which no
// window acts on, answered within ProbeWaitMs. Unanswered, it is taken
// back (Windows and Wine remove a sent message that timed out before its
// thread took it), so nothing reaches the window later.
bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, ProbeWaitMs,
                               &result) != 0;
}

} // namespace

bool IdleWorkerEnds(CommandQueues& queues, unsigned workers, unsigned long long idleSince,
                    unsigned long long now) {
    // Decided on what holds now, not on what held before the wait.
    return workers > StandingCommandWorkers && now >= idleSince + IdleWorkerEndMs &&
           !queues.NextDueIn(now) && queues.Ready(now) == 0;
}

namespace {

DWORD WINAPI WorkerMain(void* param) {
    // Nothing in this loop throws: the queues' Take, Finish, Probed, Ready
    // and NextDueIn do not allocate.
    const StatePtr s = std::move(*static_cast<StatePtr*>(param));
    delete static_cast<StatePtr*>(param);
    // The thread's message queue, which a sent message needs for its
    // answer, made now rather than inside the first command; so is what
    // waiting on the queue for that answer needs (Wine opens a handle to
    // the queue at the first wait).
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_SENDMESSAGE);
    AcquireSRWLockExclusive(&s->lock);
    ULONGLONG idleSince = GetTickCount64();
    using Kind = CommandQueues::Job::Kind;
    while (!s->stopping) {
        ULONGLONG now = GetTickCount64();
        // The others in calls or questions; this one would be the next.
        const bool confirmFirst = s->workers - s->idle + SpareCommandWorkers >= s->maxWorkers;
        if (auto job = s->queues.Take(now, confirmFirst)) {
            --s->idle;
            StartWorkersFor(s, now);
            ReleaseSRWLockExclusive(&s->lock);
            const bool answered = job->kind == Kind::Run || Answers(job->command.window);
            if (job->kind != Kind::Probe && answered)
                CarryOut(job->command);
            AcquireSRWLockExclusive(&s->lock);
            ++s->idle;
            now = idleSince = GetTickCount64();
            if (job->kind == Kind::Probe)
                s->queues.Probed(job->id, answered, now);
            else
                s->queues.Finish(job->id, now);
            // This worker takes the next one itself.
            if (s->queues.Ready(now) > 1)
                WakeAllConditionVariable(&s->work);
            continue;
        }
        // Asleep until a command comes, or until a list's turn opens or a
        // question falls due by time; a worker beyond the standing ones
        // ends when it has had nothing to do for a while.
        const auto due = s->queues.NextDueIn(now);
        const bool extra = s->workers > StandingCommandWorkers;
        const ULONGLONG endAt = idleSince + IdleWorkerEndMs;
        DWORD wait = due ? static_cast<DWORD>(*due + 1) : INFINITE;
        if (extra && !due)
            wait = static_cast<DWORD>(endAt > now ? endAt - now : 0);
        if (SleepConditionVariableSRW(&s->work, &s->lock, wait, 0) || !extra)
            continue;
        if (IdleWorkerEnds(s->queues, s->workers, idleSince, GetTickCount64()))
            break;
    }
    --s->idle;
    --s->workers;
    WakeAllConditionVariable(&s->ended);
    ReleaseSRWLockExclusive(&s->lock);
    return 0;
}

} // namespace

CommandRunner::CommandRunner(unsigned maxWorkers) : state_(std::make_shared<State>()) {
    state_->maxWorkers = maxWorkers > SpareCommandWorkers ? maxWorkers : SpareCommandWorkers + 1;
}

unsigned CommandRunner::Workers() const {
    Locked l(*state_);
    return state_->workers;
}

CommandRunner::~CommandRunner() {
    bool stopped;
    {
        Locked l(*state_);
        stopped = state_->stopping;
    }
    if (!stopped)
        Stop(StopWaitMs);
}

void CommandRunner::Prepare() {
    Locked l(*state_);
    while (!state_->stopping && state_->workers < StandingCommandWorkers) {
        const unsigned before = state_->workers;
        StartWorker(state_);
        if (state_->workers == before)
            break;
    }
}

void CommandRunner::Run(const std::optional<WindowCommand>& command) {
    if (!command)
        return;
    const auto thread = static_cast<CommandQueues::Thread>(
        command->thread ? command->thread : GetWindowThreadProcessId(command->window, nullptr));
    {
        Locked l(*state_);
        if (state_->stopping)
            return;
        const ULONGLONG now = GetTickCount64();
        state_->queues.Add(thread, *command, now);
        StartWorkersFor(state_, now);
    }
    // Woken with the lock free, so that the worker does not wake only to
    // wait for it.
    WakeConditionVariable(&state_->work);
}

void CommandRunner::RunInTurn(const std::vector<WindowCommand>& commands) {
    if (commands.empty())
        return;
    std::vector<std::pair<CommandQueues::Thread, WindowCommand>> list;
    list.reserve(commands.size());
    for (const WindowCommand& c : commands)
        list.emplace_back(static_cast<CommandQueues::Thread>(
                              c.thread ? c.thread : GetWindowThreadProcessId(c.window, nullptr)),
                          c);
    {
        Locked l(*state_);
        if (state_->stopping)
            return;
        const ULONGLONG now = GetTickCount64();
        state_->queues.AddInTurn(list, now);
        StartWorkersFor(state_, now);
    }
    WakeAllConditionVariable(&state_->work);
}

void CommandRunner::Stop(unsigned long waitMs) {
    Locked l(*state_);
    state_->stopping = true;
    WakeAllConditionVariable(&state_->work);
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    while (state_->workers > 0) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        SleepConditionVariableSRW(&state_->ended, &state_->lock, static_cast<DWORD>(deadline - now),
                                  0);
    }
}
