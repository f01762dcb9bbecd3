// The receive side and event state of one open port, shared by every kind of line:
// the receive ring, bytes scheduled to arrive later (paced virtual lines), latched line
// errors, the event mask with the events seen since the last wait, the modem inputs, the
// time-outs, and the waits of ReadFile and WaitCommEvent.
//
// Locking: every field is guarded by wire->lock. A virtual null-modem cable shares one
// wire between its two ends, so a write can move bytes into the far end under one lock.
// Functions named Core* take the lock themselves; the others expect the caller to hold it.
// Every change that a waiter may be waiting for notifies wire->changed. One exception: a
// line that fills the ring writes into its free space without the lock (only one thread
// fills at a time, and readers never touch the free space), then counts the bytes in under
// the lock with CommitBytes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "device/connection/serial_types.h"

namespace serial {

using Clock = std::chrono::steady_clock;

struct Wire {
    std::mutex lock;
    std::condition_variable changed;
};

// What reaches a receiver besides plain data.
enum class ArrivalKind : BYTE { kData, kBreak, kFrameError, kParityError, kOverrun };

struct Arrival {
    Clock::time_point at;
    BYTE byte;
    ArrivalKind kind;
};

// A line whose reading thread may take bytes off the device itself (a tty), instead of
// waiting on the wire for the line's own thread to bring them: then one thread wakes per
// burst, not two. Called without the wire lock, from any thread that is inside a call.
class DirectReceiver {
  public:
    virtual ~DirectReceiver() = default;
    // Moves what the device holds now into the ring, without waiting. A read that does not
    // hold the device does nothing while a read that holds it is waiting on it.
    virtual void FillNow(bool holding) = 0;
    // Takes the device from the line's thread for this read, so that input wakes the read
    // alone; false while another read holds it or a WaitCommEvent needs the line's thread
    // (the read then waits on the wire).
    virtual bool Hold() = 0;
    // While holding: waits until the device may have input, `deadline` passes or the port is
    // closing.
    virtual void AwaitInput(Clock::time_point deadline) = 0;
    // The holding read is done. The device may stay away from the line's thread while reads
    // keep coming, as a reader who keeps up does; the line takes it back soon otherwise.
    virtual void Leave() = 0;
    // Brings the ring up to date with the device, before the receive state is reported.
    virtual void Synchronise() = 0;
    // A WaitCommEvent begins or ends: while one is inside, the line's thread watches input.
    virtual void EventWait(bool begins) = 0;
};

inline constexpr std::size_t kReceiveCapacity = std::size_t{64} * 1024;
// A receiver with flow control asks its sender to stop when its ring holds more than
// kThrottleAt bytes, and to go on once it has drained to kResumeAt.
inline constexpr std::size_t kThrottleAt = kReceiveCapacity / 4 * 3;
inline constexpr std::size_t kResumeAt = kReceiveCapacity / 2;

struct PortCore {
    explicit PortCore(std::shared_ptr<Wire> sharedWire);

    std::shared_ptr<Wire> wire;
    DirectReceiver* direct = nullptr;  // set by the line before the port is handed out
    COMMTIMEOUTS timeouts;

    std::vector<BYTE> ring;  // kReceiveCapacity bytes
    std::size_t ringHead = 0;
    std::size_t ringCount = 0;
    std::deque<Arrival> scheduled;  // in arrival order

    DWORD errors = 0;             // latched CE_ bits, cleared by ClearCommError
    DWORD mask = 0;               // armed EV_ bits
    DWORD history = 0;            // armed events seen since the last wait returned
    unsigned maskGeneration = 0;  // a new mask releases a pending wait
    DWORD modem = 0;              // MS_ bits
    bool closed = false;          // CloseHandle has begun: every wait returns
    bool vanished = false;        // the device went away: every call fails
    bool parityChecking = false;  // report parity errors (fParity)
    char eventChar = 0;           // raises EV_RXFLAG (EvtChar)

    // Set by a line that stops taking bytes while the ring is full; called, under the
    // lock, when a read has made room again.
    bool receivePaused = false;
    std::function<void()> resumeReceive;

    // Flow control that a virtual line models byte for byte (a tty leaves it to the kernel).
    // With obeyXonXoff (fOutX) a received xoffChar holds this port's transmitter and xonChar
    // releases it; both are taken out of the data. SETXOFF and SETXON act the same way.
    bool obeyXonXoff = false;
    char xonChar = 0x11;
    char xoffChar = 0x13;
    bool transmitHeld = false;
    // Called, under the lock, with true when the ring fills past kThrottleAt and with false
    // when it has drained to kResumeAt: the line sends XOFF or XON, lowers or raises RTS.
    std::function<void(bool stop)> throttle;
    bool throttled = false;
    // The receiver this port's transmitter feeds, on a virtual line: a wait here must wake
    // when the bytes on their way there make its flow control act.
    PortCore* fed = nullptr;
};

// `milliseconds` after `from`; time_point::max() when that lies beyond what the clock counts,
// so that the products of large time-outs mean "no end" instead of wrapping into the past.
Clock::time_point Later(Clock::time_point from, std::uint64_t milliseconds);
// When a write of `count` bytes gives up: never when both write time-outs are 0.
Clock::time_point WriteDeadline(const COMMTIMEOUTS& timeouts, DWORD count);

// Receives bytes: flow characters act on the transmitter (obeyXonXoff), the rest go to the
// ring; what does not fit is lost and latched as CE_RXOVER. Raises EV_RXCHAR, and EV_RXFLAG
// when the event character is among them, and throttles the sender past the limit.
void DeliverBytes(PortCore& core, const BYTE* data, std::size_t count);
// The contiguous free space at the ring's tail, which a line may fill without the lock
// before it counts the bytes in with CommitBytes; 0 when the ring is full. An empty ring
// starts over at its front, so that a reader who keeps up reuses the same warm memory.
std::size_t FreeSpan(PortCore& core, std::size_t* tail);
// Counts in `count` bytes that a line has written into the ring's free space at its tail.
void CommitBytes(PortCore& core, std::size_t count);
// Calls the throttle when the ring's fill has crossed a limit since the last call.
void ReviewThrottle(PortCore& core);
// When the bytes on their way will fill the ring past kThrottleAt (unless read before);
// time_point::max() when they will not or the ring has no throttle.
Clock::time_point ThrottleDue(const PortCore& core);
// The events that receiving these bytes raises: EV_RXCHAR, and EV_RXFLAG with the event
// character among them.
DWORD ReceiveEvents(const PortCore& core, const BYTE* data, std::size_t count);
// Latches CE_ bits and raises EV_ERR (and EV_BREAK for CE_BREAK) where armed.
void LatchErrors(PortCore& core, DWORD ceBits);
void LatchEvents(PortCore& core, DWORD evBits);
// Sets the modem inputs and raises the events of the lines that changed.
void UpdateModem(PortCore& core, DWORD msBits);
// Moves every scheduled arrival that is due by `now` into the ring.
void SettleArrivals(PortCore& core, Clock::time_point now);

// Waits for an armed event. Returns 1 with the events, 1 with 0 when the mask was changed
// meanwhile, and 0 at once when no event is armed, or once the port is closing or gone.
BOOL CoreWaitEvent(PortCore& core, DWORD* events);
// Reads up to `count` bytes under the port's time-outs; returns 0 when the port is closing, or
// when it is gone and nothing was left to read (bytes that arrived before a hang-up are still
// given). Takes bytes off a direct receiver itself when the ring is empty.
BOOL CoreRead(PortCore& core, BYTE* buffer, DWORD count, DWORD* got);
void CoreSetMask(PortCore& core, DWORD mask);
// Takes the latched errors and fills the receive counts of `status` (when given). Once the
// device has gone, only while something remains to report: bytes not yet read or errors.
bool CoreTakeErrors(PortCore& core, DWORD* errors, COMSTAT* status);
void CoreClose(PortCore& core);

}  // namespace serial
