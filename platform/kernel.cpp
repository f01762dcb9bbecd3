#include "platform/kernel.h"

#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <system_error>
#include <thread>

namespace kernel {

namespace {

// One lock and one condition for all events: a wait for two events needs both under one
// lock, and the testers never have more than a few dozen waiters.
std::mutex eventsLock;
std::condition_variable eventsChanged;

}  // namespace

struct EventObject {
    bool manualReset = false;
    bool set = false;
    bool closed = false;
};

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
    std::lock_guard lock(eventsLock);
    if (event->closed) {
        return false;
    }
    event->set = true;
    eventsChanged.notify_all();
    return true;
}

bool ResetEvent(const EventHandle& event) {
    if (!event) {
        return false;
    }
    std::lock_guard lock(eventsLock);
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
    {
        std::lock_guard lock(eventsLock);
        event->closed = true;
        eventsChanged.notify_all();
    }
    event.reset();
}

namespace {

// Waits under eventsLock until one of the events is set; consumes an auto-reset event.
int WaitForAny(EventObject* const* events, int count, std::uint32_t timeoutMs) {
    for (int i = 0; i < count; ++i) {
        if (events[i] == nullptr) {
            return kWaitFailed;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(eventsLock);
    for (;;) {
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
        if (timeoutMs == kInfinite) {
            eventsChanged.wait(lock);
        } else if (eventsChanged.wait_until(lock, deadline) == std::cv_status::timeout) {
            // A set that raced with the time-out still counts.
            bool anySet = false;
            for (int i = 0; i < count; ++i) {
                anySet = anySet || (events[i]->set && !events[i]->closed);
            }
            if (!anySet) {
                return kWaitTimeout;
            }
        }
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
