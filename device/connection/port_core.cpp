#include "device/connection/port_core.h"

#include <algorithm>
#include <cstring>

#include "device/connection/line_events.h"

namespace serial {

PortCore::PortCore(std::shared_ptr<Wire> sharedWire)
    : wire(std::move(sharedWire)), ring(kReceiveCapacity) {}

void LatchEvents(PortCore& core, DWORD evBits) {
    const DWORD armed = evBits & core.mask;
    if (armed != 0) {
        core.history |= armed;
        core.wire->changed.notify_all();
    }
}

DWORD ReceiveEvents(const PortCore& core, const BYTE* data, std::size_t count) {
    const bool flagged = (core.mask & EV_RXFLAG) && std::memchr(data, core.eventChar, count);
    return flagged ? EV_RXCHAR | EV_RXFLAG : EV_RXCHAR;
}

namespace {

// Adds plain data to the ring.
void StoreBytes(PortCore& core, const BYTE* data, std::size_t count) {
    const std::size_t room = kReceiveCapacity - core.ringCount;
    const std::size_t taken = std::min(room, count);
    if (taken > 0) {
        const std::size_t tail = (core.ringHead + core.ringCount) % kReceiveCapacity;
        const std::size_t first = std::min(taken, kReceiveCapacity - tail);
        std::memcpy(core.ring.data() + tail, data, first);
        std::memcpy(core.ring.data(), data + first, taken - first);
        core.ringCount += taken;
        LatchEvents(core, ReceiveEvents(core, data, taken));
        core.wire->changed.notify_all();
    }
    if (taken < count) {
        LatchErrors(core, CE_RXOVER);
    }
}

bool IsFlowChar(const PortCore& core, BYTE byte) {
    return byte == static_cast<BYTE>(core.xonChar) || byte == static_cast<BYTE>(core.xoffChar);
}

}  // namespace

void DeliverBytes(PortCore& core, const BYTE* data, std::size_t count) {
    if (count == 0) {
        return;
    }
    std::size_t start = 0;
    if (core.obeyXonXoff) {
        for (std::size_t i = 0; i < count; ++i) {
            if (IsFlowChar(core, data[i])) {
                StoreBytes(core, data + start, i - start);
                core.transmitHeld = data[i] == static_cast<BYTE>(core.xoffChar);
                core.wire->changed.notify_all();
                start = i + 1;
            }
        }
    }
    StoreBytes(core, data + start, count - start);
    ReviewThrottle(core);
}

std::size_t FreeSpan(PortCore& core, std::size_t* tail) {
    if (core.ringCount == 0) {
        core.ringHead = 0;
    }
    *tail = (core.ringHead + core.ringCount) % kReceiveCapacity;
    return std::min(kReceiveCapacity - core.ringCount, kReceiveCapacity - *tail);
}

void CommitBytes(PortCore& core, std::size_t count) {
    const std::size_t tail = (core.ringHead + core.ringCount) % kReceiveCapacity;
    core.ringCount += count;
    LatchEvents(core, ReceiveEvents(core, core.ring.data() + tail, count));
    core.wire->changed.notify_all();
}

void ReviewThrottle(PortCore& core) {
    if (!core.throttle) {
        return;
    }
    if (!core.throttled && core.ringCount > kThrottleAt) {
        core.throttled = true;
        core.throttle(true);
    } else if (core.throttled && core.ringCount <= kResumeAt) {
        core.throttled = false;
        core.throttle(false);
    }
}

void LatchErrors(PortCore& core, DWORD ceBits) {
    if (!core.parityChecking) {
        ceBits &= ~CE_RXPARITY;
    }
    if (ceBits == 0) {
        return;
    }
    core.errors |= ceBits;
    LatchEvents(core, EventsForErrors(ceBits));
    core.wire->changed.notify_all();
}

void UpdateModem(PortCore& core, DWORD msBits) {
    const DWORD changed = EventsForModemChange(core.modem, msBits);
    core.modem = msBits;
    if (changed != 0) {
        LatchEvents(core, changed);
        core.wire->changed.notify_all();
    }
}

void SettleArrivals(PortCore& core, Clock::time_point now) {
    while (!core.scheduled.empty() && core.scheduled.front().at <= now) {
        const Arrival arrival = core.scheduled.front();
        core.scheduled.pop_front();
        switch (arrival.kind) {
            case ArrivalKind::kData:
                DeliverBytes(core, &arrival.byte, 1);
                break;
            case ArrivalKind::kBreak:
                LatchErrors(core, CE_BREAK);
                break;
            case ArrivalKind::kFrameError:
                DeliverBytes(core, &arrival.byte, 1);
                LatchErrors(core, CE_FRAME);
                break;
            case ArrivalKind::kParityError:
                DeliverBytes(core, &arrival.byte, 1);
                LatchErrors(core, CE_RXPARITY);
                break;
            case ArrivalKind::kOverrun:
                LatchErrors(core, CE_OVERRUN);
                break;
        }
    }
}

Clock::time_point ThrottleDue(const PortCore& core) {
    if (!core.throttle || core.throttled || core.ringCount > kThrottleAt) {
        return Clock::time_point::max();
    }
    const std::size_t crossing = kThrottleAt + 1 - core.ringCount;
    return core.scheduled.size() >= crossing ? core.scheduled[crossing - 1].at
                                             : Clock::time_point::max();
}

namespace {

bool Ended(const PortCore& core) {
    return core.closed || core.vanished;
}

// Sleeps on the wire until `deadline`, or until the scheduled arrival that completes what the
// caller waits for is due (`wanted` more arrivals), so that paced bytes land on time without a
// polling thread and a long read does not wake for every byte; or until the bytes on their
// way to the far receiver make its flow control answer.
void WaitOnWire(PortCore& core, std::unique_lock<std::mutex>& lock, Clock::time_point deadline,
                std::size_t wanted) {
    if (!core.scheduled.empty()) {
        const std::size_t index = std::min(std::max<std::size_t>(wanted, 1), core.scheduled.size());
        deadline = std::min(deadline, core.scheduled[index - 1].at);
    }
    // The far receiver's flow control answers over the line (XOFF, RTS): wake when it acts.
    if (core.fed != nullptr) {
        deadline = std::min(deadline, ThrottleDue(*core.fed));
    }
    if (deadline == Clock::time_point::max()) {
        core.wire->changed.wait(lock);
    } else {
        core.wire->changed.wait_until(lock, deadline);
    }
    const Clock::time_point now = Clock::now();
    if (core.fed != nullptr) {
        SettleArrivals(*core.fed, now);
    }
    SettleArrivals(core, now);
}

// Holds a direct receiver's device for one read, and gives it back at the end.
class HeldDevice {
  public:
    explicit HeldDevice(DirectReceiver* line) : line_(line) {}
    ~HeldDevice() {
        if (held_) {
            line_->Leave();
        }
    }
    HeldDevice(const HeldDevice&) = delete;
    HeldDevice& operator=(const HeldDevice&) = delete;

    DirectReceiver* line() const { return line_; }
    bool held() const { return held_; }
    bool Take() {
        held_ = line_->Hold();
        return held_;
    }

  private:
    DirectReceiver* const line_;
    bool held_ = false;
};

std::size_t TakeFromRing(PortCore& core, BYTE* buffer, std::size_t count) {
    const std::size_t taken = std::min(count, core.ringCount);
    if (taken == 0) {
        return 0;  // the buffer may be null when nothing is asked for
    }
    const std::size_t first = std::min(taken, kReceiveCapacity - core.ringHead);
    std::memcpy(buffer, core.ring.data() + core.ringHead, first);
    if (taken > first) {
        std::memcpy(buffer + first, core.ring.data(), taken - first);
    }
    core.ringHead = (core.ringHead + taken) % kReceiveCapacity;
    core.ringCount -= taken;
    // Nobody waits on the wire for room: a full tty ring pauses the line's thread, which
    // this wakes, and a virtual sender waits for its receiver's flow control.
    if (core.receivePaused && core.resumeReceive) {
        core.receivePaused = false;
        core.resumeReceive();
    }
    ReviewThrottle(core);
    return taken;
}

}  // namespace

Clock::time_point Later(Clock::time_point from, std::uint64_t milliseconds) {
    // About a century: far beyond any wait, far below where the clock would wrap.
    constexpr std::uint64_t kNoEnd = std::uint64_t{1} << 41;
    if (milliseconds >= kNoEnd) {
        return Clock::time_point::max();
    }
    return from + std::chrono::milliseconds(milliseconds);
}

Clock::time_point WriteDeadline(const COMMTIMEOUTS& timeouts, DWORD count) {
    const std::uint64_t total = std::uint64_t{timeouts.WriteTotalTimeoutMultiplier} * count +
                                timeouts.WriteTotalTimeoutConstant;
    return total == 0 ? Clock::time_point::max() : Later(Clock::now(), total);
}

BOOL CoreWaitEvent(PortCore& core, DWORD* events) {
    std::unique_lock lock(core.wire->lock);
    const unsigned generation = core.maskGeneration;
    SettleArrivals(core, Clock::now());
    if (core.mask == 0) {
        *events = 0;
        return 0;  // nothing could ever end the wait
    }
    for (;;) {
        if (Ended(core)) {
            *events = 0;
            return 0;
        }
        if (core.maskGeneration != generation) {
            *events = 0;
            return 1;
        }
        const DWORD ready = core.history & core.mask;
        if (ready != 0) {
            core.history = 0;
            *events = ready;
            return 1;
        }
        WaitOnWire(core, lock, Clock::time_point::max(), 1);
    }
}

BOOL CoreRead(PortCore& core, BYTE* buffer, DWORD count, DWORD* got) {
    HeldDevice device(core.direct);  // given back after the wire lock below is released
    std::unique_lock lock(core.wire->lock);
    const DWORD interval = core.timeouts.ReadIntervalTimeout;
    const DWORD multiplier = core.timeouts.ReadTotalTimeoutMultiplier;
    const DWORD constant = core.timeouts.ReadTotalTimeoutConstant;

    // Which rule the time-outs select.
    const bool returnAtOnce = interval == MAXDWORD && multiplier == 0 && constant == 0;
    const bool firstByteRule =
        interval == MAXDWORD && multiplier == MAXDWORD && constant > 0 && constant < MAXDWORD;
    const bool hasTotal = !returnAtOnce && (multiplier != 0 || constant != 0);
    const bool hasInterval = !returnAtOnce && !firstByteRule && interval != 0;

    // A read that returns at once needs no clock: the terminal reads a byte at a time.
    Clock::time_point start{};
    Clock::time_point totalDeadline = Clock::time_point::max();
    if (!returnAtOnce || !core.scheduled.empty()) {
        start = Clock::now();
        SettleArrivals(core, start);
        if (firstByteRule) {
            totalDeadline = Later(start, constant);
        } else if (hasTotal) {
            totalDeadline = Later(start, std::uint64_t{multiplier} * count + constant);
        }
    }
    std::size_t done = 0;
    Clock::time_point lastProgress = start;
    bool looked = false;  // the device was looked at since the last wait
    for (;;) {
        const std::size_t taken = TakeFromRing(core, buffer + done, count - done);
        if (taken > 0) {
            done += taken;
            if (hasInterval) {
                lastProgress = Clock::now();
            }
        }
        if (core.vanished) {
            // What arrived before the line went away is still the caller's.
            *got = static_cast<DWORD>(done);
            return done > 0 || core.ringCount > 0 ? 1 : 0;
        }
        if (done == count || (firstByteRule && done > 0)) {
            break;
        }
        if (core.closed) {
            *got = static_cast<DWORD>(done);
            return 0;
        }
        // The ring is empty: more can only come from the device or over the wire.
        if (returnAtOnce) {
            if (device.line() == nullptr || looked) {
                break;
            }
            lock.unlock();
            device.line()->FillNow(false);
            lock.lock();
            looked = true;
            continue;
        }
        Clock::time_point deadline = totalDeadline;
        if (hasInterval && done > 0) {
            deadline = std::min(deadline, Later(lastProgress, interval));
        }
        if (device.line() != nullptr && !device.held()) {
            lock.unlock();
            const bool held = device.Take();
            lock.lock();
            if (held) {
                continue;  // the line's thread may have filled the ring before it let go
            }
        }
        if (device.held()) {
            // Take what the device holds without a wait first: a reader who keeps up finds
            // bytes there. Then wait on the device itself, so that its input wakes this thread
            // alone.
            if (looked && Clock::now() >= deadline) {
                break;
            }
            lock.unlock();
            if (looked) {
                device.line()->AwaitInput(deadline);
            }
            device.line()->FillNow(true);
            lock.lock();
            looked = true;
            continue;
        }
        if (device.line() != nullptr && !looked) {
            lock.unlock();
            device.line()->FillNow(false);
            lock.lock();
            looked = true;
            continue;
        }
        if (Clock::now() >= deadline) {
            break;
        }
        WaitOnWire(core, lock, deadline, firstByteRule ? 1 : count - done);
        looked = false;
    }
    *got = static_cast<DWORD>(done);
    return 1;
}

void CoreSetMask(PortCore& core, DWORD mask) {
    std::lock_guard lock(core.wire->lock);
    core.mask = mask;
    core.history &= mask;
    ++core.maskGeneration;
    core.wire->changed.notify_all();
}

bool CoreTakeErrors(PortCore& core, DWORD* errors, COMSTAT* status) {
    std::lock_guard lock(core.wire->lock);
    SettleArrivals(core, Clock::now());
    if (core.vanished && core.errors == 0 && core.ringCount == 0) {
        return false;
    }
    *errors = core.errors;
    core.errors = 0;
    if (status != nullptr) {
        status->flags = 0;
        status->cbInQue = static_cast<DWORD>(core.ringCount);
        status->cbOutQue = 0;
    }
    return true;
}

void CoreClose(PortCore& core) {
    std::lock_guard lock(core.wire->lock);
    core.closed = true;
    core.wire->changed.notify_all();
}

}  // namespace serial
