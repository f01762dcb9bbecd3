// Kernel services the testers were written against: events that wake waiting threads,
// a wait for the first of two events, detached threads, sleep, the re-entrant screen
// lock and the debug output.
//
// Events are shared handles. Closing an event wakes every thread waiting on it and makes
// that wait (and every later one) fail, so a thread parked on an event that its owner
// releases ends instead of sleeping forever. The memory of a closed event stays valid as
// long as any thread still holds a copy of the handle. Every function here may be called
// from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace kernel {

struct EventObject;
using EventHandle = std::shared_ptr<EventObject>;

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFF;

// Results of the waits: the index of the event that released the wait, or one of these.
inline constexpr int kWaitTimeout = 0x102;
inline constexpr int kWaitFailed = -1;

// A manual-reset event stays set until reset; an auto-reset event releases one wait and
// clears itself.
EventHandle CreateEvent(bool manualReset, bool initiallySet);
bool SetEvent(const EventHandle& event);
bool ResetEvent(const EventHandle& event);
// Wakes every waiter with kWaitFailed and empties the handle.
void CloseEvent(EventHandle& event);

// Returns 0 when the event released the wait, kWaitTimeout, or kWaitFailed for an empty
// or closed handle. The waits hold their own copies of the handles, so an owner that closes
// and drops its handle meanwhile frees nothing under them.
int WaitForEvent(EventHandle event, std::uint32_t timeoutMs);
// Returns 0 or 1 for the event that released the wait; when both are set the first wins.
// Fails when either handle is empty or closed.
int WaitForEither(EventHandle first, EventHandle second, std::uint32_t timeoutMs);

// Starts a thread that nobody joins. Returns false when the system refuses a new thread.
bool StartDetachedThread(std::function<void()> body);

void Sleep(std::uint32_t milliseconds);

// The screen lock: the thread that holds it may take it again.
using ScreenLock = std::recursive_mutex;

// Writes printf-formatted text to the debug output (standard error) at once.
void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kernel
