#include "winops/command_queues.h"

#include <algorithm>

CommandQueues::Entry* CommandQueues::FindEntry(Id id) {
    for (Queue& q : queues_)
        for (Entry& e : q.entries)
            if (e.id == id)
                return &e;
    return nullptr;
}

bool CommandQueues::Running(Thread thread) const {
    return std::any_of(queues_.begin(), queues_.end(),
                       [&](const Queue& q) { return q.running && q.thread == thread; });
}

bool CommandQueues::Startable(const Queue& q) const {
    return !q.running && !q.entries.empty() && q.entries.front().mayStart && !Running(q.thread);
}

CommandQueues::Id CommandQueues::Enqueue(Thread thread, const WindowCommand& command,
                                         bool mayStart) {
    const Id id = next_;
    auto q = std::find_if(queues_.begin(), queues_.end(),
                          [&](const Queue& q) { return q.window == command.window; });
    if (q != queues_.end()) {
        q->entries.push_back(Entry{id, command, mayStart});
    } else {
        Queue fresh{command.window, thread, {Entry{id, command, mayStart}}};
        queues_.push_back(std::move(fresh));
    }
    ++next_;
    return id;
}

CommandQueues::Id CommandQueues::Add(Thread thread, const WindowCommand& command) {
    return Enqueue(thread, command, true);
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
            turns.items.push_back(TurnItem{Enqueue(thread, command, false), thread});
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
    if (Entry* e = FindEntry(item.id))
        e->mayStart = true;
    // Not waited for: the last of the list, as nothing comes after it; a
    // thread that has let its turn pass before in this list; one held up
    // by an earlier command for longer than a turn.
    const bool last = i + 1 == list.items.size();
    const bool passedBefore =
        std::any_of(list.items.begin(), list.items.begin() + static_cast<std::ptrdiff_t>(i),
                    [&](const TurnItem& t) { return t.passed && t.thread == item.thread; });
    const bool heldUp = std::any_of(queues_.begin(), queues_.end(), [&](const Queue& q) {
        return q.running && q.thread == item.thread && q.entries.front().id != item.id &&
               now - q.runningSince >= turnWait_;
    });
    list.wait = last || passedBefore || heldUp ? 0 : turnWait_;
}

void CommandQueues::Advance(unsigned long long now) {
    for (TurnList& list : turns_) {
        while (list.current < list.items.size()) {
            if (!list.currentFinished) {
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

std::optional<CommandQueues::Job> CommandQueues::Take(unsigned long long now) {
    Advance(now);
    Queue* best = nullptr;
    for (Queue& q : queues_)
        if (Startable(q) && (!best || q.entries.front().id < best->entries.front().id))
            best = &q;
    if (!best)
        return std::nullopt;
    best->running = true;
    best->runningSince = now;
    const Entry& e = best->entries.front();
    return Job{e.id, best->thread, e.command};
}

void CommandQueues::Finish(Id id, unsigned long long now) {
    for (auto q = queues_.begin(); q != queues_.end(); ++q) {
        if (!q->running || q->entries.front().id != id)
            continue;
        q->entries.erase(q->entries.begin());
        q->running = false;
        if (q->entries.empty())
            queues_.erase(q);
        break;
    }
    for (TurnList& list : turns_)
        if (list.current < list.items.size() && list.items[list.current].id == id)
            list.currentFinished = true;
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
    return n;
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
