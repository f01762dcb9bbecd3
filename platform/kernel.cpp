#include "platform/kernel.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <system_error>
#include <thread>
#include <vector>

namespace kernel {

namespace {

// A thread inside a wait. Each event lists the threads waiting for it and wakes only those:
// no lock or condition is shared by all events, so the twenty threads of a ten-port loopback
// test neither wake nor block one another.
struct Waiter {
    std::mutex lock;
    std::condition_variable wake;
    bool woken = false;  // guarded by lock
};

}  // namespace

struct EventObject {
    std::mutex lock;  // guards the fields below
    bool manualReset = false;
    bool set = false;
    bool closed = false;
    std::vector<std::shared_ptr<Waiter>> waiters;
};

namespace {

// Wakes the waiters taken from an event's list. This runs after the event's lock is released,
// so that a woken thread does not at once block on it; the waiters' shared ownership keeps
// each alive even if its wait has ended meanwhile.
void WakeWaiters(const std::vector<std::shared_ptr<Waiter>>& waiters) {
    for (const std::shared_ptr<Waiter>& waiter : waiters) {
        {
            std::lock_guard guard(waiter->lock);
            waiter->woken = true;
        }
        waiter->wake.notify_one();
    }
}

// The events of one wait (one or two, possibly the same twice), each locked once, so that one
// look sees them all at the same moment.
class LockedEvents {
  public:
    LockedEvents(EventObject* const* events, int count) : events_(events), count_(count) {
        if (count_ == 2 && events_[0] != events_[1]) {
            std::lock(events_[0]->lock, events_[1]->lock);
        } else {
            events_[0]->lock.lock();
        }
    }
    ~LockedEvents() {
        events_[0]->lock.unlock();
        if (count_ == 2 && events_[0] != events_[1]) {
            events_[1]->lock.unlock();
        }
    }
    LockedEvents(const LockedEvents&) = delete;
    LockedEvents& operator=(const LockedEvents&) = delete;

  private:
    EventObject* const* events_;
    int count_;
};

constexpr int kNothingSet = -2;

// With the events locked: kWaitFailed when one is closed, else the index of the first set
// event (an auto-reset event is consumed), else kNothingSet.
int LookAtEvents(EventObject* const* events, int count) {
    for (int i = 0; i < count; ++i) {
        if (events[i]->closed) {
            return kWaitFailed;
        }
    }
    for (int i = 0; i < count; ++i) {
        if (events[i]->set) {
            if (!events[i]->manualReset) {
                events[i]->set = false;
            }
            return i;
        }
    }
    return kNothingSet;
}

// With the events locked: lists the waiter on each event, or takes it off again.
void ListWaiter(EventObject* const* events, int count, const std::shared_ptr<Waiter>& waiter) {
    for (int i = 0; i < count; ++i) {
        events[i]->waiters.push_back(waiter);
    }
}

void UnlistWaiter(EventObject* const* events, int count, const std::shared_ptr<Waiter>& waiter) {
    for (int i = 0; i < count; ++i) {
        std::vector<std::shared_ptr<Waiter>>& list = events[i]->waiters;
        list.erase(std::find(list.begin(), list.end(), waiter));
    }
}

}  // namespace

EventHandle CreateEvent(bool manualReset, bool initiallySet) {
    auto event = std::make_shared<EventObject>();
    event->manualReset = manualReset;
    event->set = initiallySet;
    return event;
}

bool SetEvent(const EventHandle& event) {
    if (!event) {
        return false;
    }
    std::vector<std::shared_ptr<Waiter>> waiters;
    {
        std::lock_guard guard(event->lock);
        if (event->closed) {
            return false;
        }
        event->set = true;
        waiters = event->waiters;
    }
    WakeWaiters(waiters);
    return true;
}

bool ResetEvent(const EventHandle& event) {
    if (!event) {
        return false;
    }
    std::lock_guard guard(event->lock);
    if (event->closed) {
        return false;
    }
    event->set = false;
    return true;
}

void CloseEvent(EventHandle& event) {
    if (!event) {
        return;
    }
    std::vector<std::shared_ptr<Waiter>> waiters;
    {
        std::lock_guard guard(event->lock);
        event->closed = true;
        waiters = event->waiters;
    }
    WakeWaiters(waiters);
    event.reset();
}

namespace {

// Waits until one of the events is set; consumes an auto-reset event. The waiter is listed
// on the events in the same look that found none set, so a later set always wakes it; it is
// taken off in the look that ends the wait.
int WaitForAny(EventObject* const* events, int count, std::uint32_t timeoutMs) {
    for (int i = 0; i < count; ++i) {
        if (events[i] == nullptr) {
            return kWaitFailed;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::shared_ptr<Waiter> waiter;
    bool timedOut = false;
    for (;;) {
        {
            const LockedEvents locked(events, count);
            const int result = LookAtEvents(events, count);
            // A set that raced with the time-out still counts.
            if (result != kNothingSet || timedOut) {
                if (waiter) {
                    UnlistWaiter(events, count, waiter);
                }
                return result != kNothingSet ? result : kWaitTimeout;
            }
            if (!waiter) {
                waiter = std::make_shared<Waiter>();
                ListWaiter(events, count, waiter);
            }
        }
        std::unique_lock guard(waiter->lock);
        const auto woken = [&waiter] { return waiter->woken; };
        if (timeoutMs == kInfinite) {
            waiter->wake.wait(guard, woken);
        } else {
            timedOut = !waiter->wake.wait_until(guard, deadline, woken);
        }
        waiter->woken = false;
    }
}

}  // namespace

int WaitForEvent(EventHandle event, std::uint32_t timeoutMs) {
    EventObject* const events[] = {event.get()};
    return WaitForAny(events, 1, timeoutMs);
}

int WaitForEither(EventHandle first, EventHandle second, std::uint32_t timeoutMs) {
    EventObject* const events[] = {first.get(), second.get()};
    return WaitForAny(events, 2, timeoutMs);
}

bool StartDetachedThread(std::function<void()> body) {
    try {
        std::thread(std::move(body)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void DebugPrint(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
}

}  // namespace kernel
