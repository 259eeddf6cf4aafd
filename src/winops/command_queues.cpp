#include "winops/command_queues.h"

#include <algorithm>

namespace {
// When a question about the thread of a running command falls due.
template <class E> unsigned long long ProbeDue(const E& e) {
    return std::max(e.startedAt + ProbeAfterMs, e.probedAt ? e.probedAt + ProbeAgainMs : 0);
}
} // namespace

CommandQueues::Entry* CommandQueues::FindEntry(Id id) {
    for (Queue& q : queues_)
        for (Entry& e : q.entries)
            if (e.id == id)
                return &e;
    return nullptr;
}

bool CommandQueues::Busy(Thread thread) const {
    return std::any_of(queues_.begin(), queues_.end(), [&](const Queue& q) {
        return q.thread == thread && std::any_of(q.entries.begin(), q.entries.end(),
                                                 [](auto& e) { return e.running && !e.parked; });
    });
}

const CommandQueues::Entry* CommandQueues::Waiting(const Queue& q) {
    for (const Entry& e : q.entries)
        if (!e.running)
            return e.mayStart ? &e : nullptr;
    return nullptr;
}

bool CommandQueues::Startable(const Queue& q) const {
    return Waiting(q) && !Busy(q.thread);
}

CommandQueues::Id CommandQueues::Enqueue(Thread thread, const WindowCommand& command, bool mayStart,
                                         unsigned long long now) {
    const Id id = next_;
    auto q = std::find_if(queues_.begin(), queues_.end(),
                          [&](const Queue& q) { return q.window == command.window; });
    if (q != queues_.end()) {
        q->entries.push_back(Entry{id, command, mayStart, now});
    } else {
        Queue fresh{command.window, thread, {Entry{id, command, mayStart, now}}};
        queues_.push_back(std::move(fresh));
    }
    ++next_;
    return id;
}

CommandQueues::Id CommandQueues::Add(Thread thread, const WindowCommand& command,
                                     unsigned long long now) {
    return Enqueue(thread, command, true, now);
}

void CommandQueues::AddInTurn(const std::vector<std::pair<Thread, WindowCommand>>& list,
                              unsigned long long now) {
    if (list.empty())
        return;
    TurnList turns;
    turns.items.reserve(list.size());
    turns_.reserve(turns_.size() + 1);
    try {
        for (const auto& [thread, command] : list)
            turns.items.push_back(TurnItem{Enqueue(thread, command, false, now), thread});
    } catch (...) {
        // What was queued may start: nothing may wait for a turn that never
        // comes.
        for (const TurnItem& item : turns.items)
            if (Entry* e = FindEntry(item.id))
                e->mayStart = true;
        throw;
    }
    turns_.push_back(std::move(turns)); // reserved: does not throw
    Open(turns_.back(), 0, now);
}

void CommandQueues::Open(TurnList& list, std::size_t i, unsigned long long now) {
    list.current = i;
    list.currentFinished = false;
    list.openedAt = now;
    if (i >= list.items.size())
        return;
    const TurnItem& item = list.items[i];
    if (Entry* e = FindEntry(item.id)) {
        e->mayStart = true;
        e->since = now;
    }
    // Not waited for: the last of the list, as nothing comes after it; a
    // thread that has let its turn pass before in this list; one held up
    // by an earlier command for longer than a turn.
    const bool last = i + 1 == list.items.size();
    const bool passedBefore =
        std::any_of(list.items.begin(), list.items.begin() + static_cast<std::ptrdiff_t>(i),
                    [&](const TurnItem& t) { return t.passed && t.thread == item.thread; });
    const bool heldUp = std::any_of(queues_.begin(), queues_.end(), [&](const Queue& q) {
        return q.thread == item.thread &&
               std::any_of(q.entries.begin(), q.entries.end(), [&](const Entry& e) {
                   return e.running && !e.parked && e.id != item.id &&
                          now - e.startedAt >= turnWait_;
               });
    });
    list.wait = last || passedBefore || heldUp ? 0 : turnWait_;
}

void CommandQueues::Advance(unsigned long long now) {
    // Too old to start: dropped. (Erasing does not allocate.)
    for (Queue& q : queues_)
        q.entries.erase(std::remove_if(q.entries.begin(), q.entries.end(),
                                       [&](const Entry& e) {
                                           return !e.running && e.mayStart &&
                                                  now > e.since + MaxCommandAgeMs;
                                       }),
                        q.entries.end());
    queues_.erase(std::remove_if(queues_.begin(), queues_.end(),
                                 [](const Queue& q) { return q.entries.empty(); }),
                  queues_.end());
    for (TurnList& list : turns_) {
        while (list.current < list.items.size()) {
            // A command dropped has had its turn.
            if (!list.currentFinished && FindEntry(list.items[list.current].id)) {
                if (now < list.openedAt + list.wait)
                    break;
                list.items[list.current].passed = true;
            }
            Open(list, list.current + 1, now);
        }
    }
    turns_.erase(std::remove_if(turns_.begin(), turns_.end(),
                                [](const TurnList& l) { return l.current >= l.items.size(); }),
                 turns_.end());
}

CommandQueues::Candidate CommandQueues::ProbeCandidate(unsigned long long now, std::size_t* count,
                                                       std::optional<unsigned long long>* in) {
    Candidate best;
    Id bestWaiting = 0;
    if (count)
        *count = 0;
    for (Queue& q : queues_) {
        for (Entry& e : q.entries) {
            if (!e.running || e.parked || e.probing)
                continue;
            // The thread's earliest command that waits for this one.
            Id waiting = 0;
            for (const Queue& other : queues_)
                if (other.thread == q.thread)
                    if (const Entry* w = Waiting(other); w && (!waiting || w->id < waiting))
                        waiting = w->id;
            if (!waiting)
                continue;
            const unsigned long long due = ProbeDue(e);
            if (due > now) {
                if (in && (!*in || due - now < **in))
                    *in = due - now;
                continue;
            }
            if (count)
                ++*count;
            if (!best.entry || waiting < bestWaiting) {
                best = {&q, &e};
                bestWaiting = waiting;
            }
        }
    }
    return best;
}

std::optional<CommandQueues::Job> CommandQueues::Take(unsigned long long now, bool confirmFirst) {
    Advance(now);
    Queue* best = nullptr;
    for (Queue& q : queues_)
        if (Startable(q) && (!best || Waiting(q)->id < Waiting(*best)->id))
            best = &q;
    if (best) {
        Entry& e = *std::find_if(best->entries.begin(), best->entries.end(),
                                 [](const Entry& e) { return !e.running; });
        e.running = true;
        e.startedAt = now;
        return Job{confirmFirst ? Job::Kind::Confirm : Job::Kind::Run, e.id, best->thread,
                   e.command};
    }
    if (probes_ >= MaxProbes)
        return std::nullopt;
    const Candidate c = ProbeCandidate(now);
    if (!c.entry)
        return std::nullopt;
    c.entry->probing = true;
    ++probes_;
    return Job{Job::Kind::Probe, c.entry->id, c.queue->thread, c.entry->command};
}

void CommandQueues::Finish(Id id, unsigned long long now) {
    for (auto q = queues_.begin(); q != queues_.end(); ++q) {
        auto e = std::find_if(q->entries.begin(), q->entries.end(),
                              [&](const Entry& e) { return e.running && e.id == id; });
        if (e == q->entries.end())
            continue;
        q->entries.erase(e);
        if (q->entries.empty())
            queues_.erase(q);
        break;
    }
    for (TurnList& list : turns_)
        if (list.current < list.items.size() && list.items[list.current].id == id)
            list.currentFinished = true;
    Advance(now);
}

void CommandQueues::Probed(Id id, bool answered, unsigned long long now) {
    if (probes_ > 0)
        --probes_;
    if (Entry* e = FindEntry(id)) {
        e->probing = false;
        if (answered)
            e->parked = true;
        else
            e->probedAt = now;
    }
    Advance(now);
}

std::size_t CommandQueues::Ready(unsigned long long now) {
    Advance(now);
    // One per thread: a thread handles one command at a time.
    std::size_t n = 0;
    for (auto q = queues_.begin(); q != queues_.end(); ++q) {
        if (!Startable(*q))
            continue;
        const Thread t = q->thread;
        if (std::none_of(queues_.begin(), q,
                         [&](const Queue& p) { return p.thread == t && Startable(p); }))
            ++n;
    }
    std::size_t due = 0;
    ProbeCandidate(now, &due);
    return n + std::min<std::size_t>(due, MaxProbes - probes_);
}

std::optional<unsigned long long> CommandQueues::NextTurnIn(unsigned long long now) const {
    std::optional<unsigned long long> next;
    for (const TurnList& list : turns_) {
        if (list.current >= list.items.size() || list.currentFinished)
            continue;
        const unsigned long long due = list.openedAt + list.wait;
        const unsigned long long in = due > now ? due - now : 0;
        if (!next || in < *next)
            next = in;
    }
    return next;
}

std::optional<unsigned long long> CommandQueues::NextDueIn(unsigned long long now) {
    std::optional<unsigned long long> next = NextTurnIn(now), probe;
    if (probes_ < MaxProbes)
        ProbeCandidate(now, nullptr, &probe);
    if (probe && (!next || *probe < *next))
        next = probe;
    return next;
}
