#include "device/connection/virtual_line.h"

#include <algorithm>
#include <map>
#include <optional>

#include "platform/kernel.h"

namespace serial {

namespace {

// Bytes a paced transmitter may have on their way before a write waits, like a UART's
// transmit buffer.
constexpr std::size_t kLineQueue = 4096;

struct VirtualEnd {
    PortCore* core = nullptr;  // while a handle has this end open
    bool paced = false;
    bool busy = false;
    bool vanished = false;
    DCB dcb;
    bool rts = false;
    bool dtr = false;
    bool ring = false;
    Clock::time_point lineFreeAt{};
    // Faults, armed by the functions of the header; a count of -1 is disarmed.
    long dropAfter = -1;
    long changeAfter = -1;
    unsigned char changeFlip = 0;
    long writeLimit = -1;
    std::optional<ArrivalKind> receiveError;
};

struct VirtualWire : Wire {
    LineKind kind = LineKind::kLoopback;
    VirtualEnd ends[2];
};

struct VirtualPort {
    std::shared_ptr<VirtualWire> wire;
    int end = 0;
};

std::mutex registryLock;
std::map<int, VirtualPort> registry;

std::optional<VirtualPort> FindPort(int comNumber) {
    std::lock_guard lock(registryLock);
    const auto found = registry.find(comNumber);
    if (found == registry.end()) {
        return std::nullopt;
    }
    return found->second;
}

// The end whose transmitter feeds this end's receiver, if any.
VirtualEnd* FarEnd(VirtualWire& wire, int end) {
    switch (wire.kind) {
        case LineKind::kLoopback:
            return &wire.ends[0];
        case LineKind::kNullModem:
            return &wire.ends[1 - end];
        default:
            return nullptr;
    }
}

// Recomputes the modem inputs of every open end from the outputs that feed them, and which
// receiver each transmitter feeds.
void PropagateLines(VirtualWire& wire) {
    for (int end = 0; end < 2; ++end) {
        VirtualEnd& self = wire.ends[end];
        if (self.core == nullptr) {
            continue;
        }
        const VirtualEnd* far = FarEnd(wire, end);
        self.core->fed = far != nullptr ? far->core : nullptr;
        DWORD status = self.ring ? MS_RING_ON : 0;
        if (far != nullptr && far->core != nullptr) {
            status |= (far->rts ? MS_CTS_ON : 0) | (far->dtr ? MS_DSR_ON | MS_RLSD_ON : 0);
        }
        UpdateModem(*self.core, status);
    }
}

// Time one character takes on the line: start bit, data bits, parity bit, stop bits.
Clock::duration CharacterTime(const DCB& dcb) {
    const double stopBits = dcb.StopBits == ONESTOPBIT     ? 1.0
                            : dcb.StopBits == ONE5STOPBITS ? 1.5
                                                           : 2.0;
    const double bits = 1.0 + dcb.ByteSize + (dcb.Parity != NOPARITY ? 1.0 : 0.0) + stopBits;
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(bits / std::max<DWORD>(dcb.BaudRate, 1)));
}

// Queues an arrival after everything already on its way.
void Schedule(PortCore& core, Clock::time_point at, BYTE byte, ArrivalKind kind) {
    if (!core.scheduled.empty()) {
        at = std::max(at, core.scheduled.back().at);
    }
    core.scheduled.push_back({at, byte, kind});
}

// Queues an arrival at its time, ahead of later ones: a flow character that a UART sends
// before the bytes waiting in its transmit buffer.
void ScheduleAhead(PortCore& core, Clock::time_point at, BYTE byte) {
    const auto later = std::upper_bound(
        core.scheduled.begin(), core.scheduled.end(), at,
        [](Clock::time_point t, const Arrival& arrival) { return t < arrival.at; });
    core.scheduled.insert(later, {at, byte, ArrivalKind::kData});
}

// How many of `count` bytes can go to `receiver` at once before its flow state may change:
// up to the byte that fills it past its limit, or up to a flow character it acts on.
std::size_t BytesBeforeFlowChange(const PortCore& receiver, const BYTE* data, std::size_t count) {
    std::size_t piece = count;
    if (receiver.throttle && !receiver.throttled && receiver.ringCount <= kThrottleAt) {
        piece = std::min(piece, kThrottleAt + 1 - receiver.ringCount);
    }
    if (receiver.obeyXonXoff) {
        for (std::size_t i = 0; i < piece; ++i) {
            if (data[i] == static_cast<BYTE>(receiver.xonChar) ||
                data[i] == static_cast<BYTE>(receiver.xoffChar)) {
                return i + 1;
            }
        }
    }
    return piece;
}

class VirtualLine final : public LineDriver {
  public:
    VirtualLine(std::string name, std::shared_ptr<VirtualWire> wire, int end)
        : name_(std::move(name)), wire_(std::move(wire)), end_(end) {}

    bool ApplyState(const DCB& dcb) override;
    void ReadState(DCB* dcb) override;
    BOOL Write(const BYTE* data, DWORD count, DWORD* written,
               const COMMTIMEOUTS& timeouts) override;
    bool Escape(DWORD code) override;
    bool ModemStatus(DWORD* status) override;
    DWORD OutputQueued() override;
    // Writers wait on the wire, which CloseHandle wakes through the port's core.
    void Cancel() override {}
    void Shutdown() override;

  private:
    VirtualEnd& Self() { return wire_->ends[end_]; }
    // The wire is symmetric: the end that feeds us is the end we feed.
    VirtualEnd* ReceiverEnd() { return FarEnd(*wire_, end_); }
    // Whether flow control holds this end's transmitter now.
    bool TransmitterHeld();
    // Sends bytes from `data`, in pieces so that flow control takes effect at the byte that
    // triggers it; returns how many went out before the transmitter was held.
    std::size_t Transmit(const BYTE* data, std::size_t count, Clock::time_point now);
    // The receiver's flow control: XOFF/XON with fInX, RTS with RTS handshake.
    void Throttle(bool stop);
    // Puts a flow character on the line ahead of the bytes waiting to be sent.
    void SendFlowChar(char flowChar);
    // When a writer held by a received XOFF should look again: when the next XON arrives.
    Clock::time_point NextXonArrival();

    const std::string name_;
    const std::shared_ptr<VirtualWire> wire_;
    const int end_;
};

bool VirtualLine::ApplyState(const DCB& dcb) {
    std::lock_guard lock(wire_->lock);
    VirtualEnd& self = Self();
    PortCore& mine = *self.core;
    // A receiver that has asked its sender to stop lets it go on under the old settings
    // first; the new ones then decide afresh.
    if (mine.throttled) {
        mine.throttled = false;
        Throttle(false);
    }
    self.dcb = dcb;
    self.dtr = DtrControl(dcb) == DTR_CONTROL_ENABLE;
    self.rts = RtsControl(dcb) != RTS_CONTROL_DISABLE;
    mine.obeyXonXoff = (dcb.flags & kFlagOutX) != 0;
    mine.xonChar = dcb.XonChar;
    mine.xoffChar = dcb.XoffChar;
    if (!mine.obeyXonXoff) {
        mine.transmitHeld = false;  // as a tty restarts output when IXON goes off
    }
    if ((dcb.flags & kFlagInX) || RtsControl(dcb) == RTS_CONTROL_HANDSHAKE) {
        mine.throttle = [this](bool stop) { Throttle(stop); };
    } else {
        mine.throttle = nullptr;
    }
    PropagateLines(*wire_);
    ReviewThrottle(mine);
    wire_->changed.notify_all();
    return true;
}

void VirtualLine::ReadState(DCB* dcb) {
    std::lock_guard lock(wire_->lock);
    const DCB& held = Self().dcb;
    dcb->BaudRate = held.BaudRate;
    dcb->ByteSize = held.ByteSize;
    dcb->Parity = held.Parity;
    dcb->StopBits = held.StopBits;
    dcb->XonChar = held.XonChar;
    dcb->XoffChar = held.XoffChar;
}

void VirtualLine::Throttle(bool stop) {
    VirtualEnd& self = Self();
    if (self.dcb.flags & kFlagInX) {
        SendFlowChar(stop ? self.dcb.XoffChar : self.dcb.XonChar);
    }
    if (RtsControl(self.dcb) == RTS_CONTROL_HANDSHAKE) {
        self.rts = !stop;
        PropagateLines(*wire_);
    }
}

void VirtualLine::SendFlowChar(char flowChar) {
    VirtualEnd& self = Self();
    VirtualEnd* far = ReceiverEnd();
    if (far == nullptr || far->core == nullptr) {
        return;
    }
    const auto byte = static_cast<BYTE>(flowChar);
    if (self.paced) {
        // After the character on the wire now; it takes its own time on the line too.
        const Clock::time_point now = Clock::now();
        const Clock::duration characterTime = CharacterTime(self.dcb);
        ScheduleAhead(*far->core, now + characterTime, byte);
        self.lineFreeAt = std::max(now, self.lineFreeAt) + characterTime;
    } else {
        DeliverBytes(*far->core, &byte, 1);
    }
    wire_->changed.notify_all();
}

bool VirtualLine::TransmitterHeld() {
    VirtualEnd& self = Self();
    const PortCore& mine = *self.core;
    return mine.transmitHeld ||
           ((self.dcb.flags & kFlagOutxCtsFlow) != 0 && (mine.modem & MS_CTS_ON) == 0);
}

std::size_t VirtualLine::Transmit(const BYTE* data, std::size_t count, Clock::time_point now) {
    VirtualEnd& self = Self();
    const Clock::duration characterTime = CharacterTime(self.dcb);
    std::size_t sent = 0;
    while (sent < count && !TransmitterHeld()) {
        // Looked up afresh for each piece: flow control may change the far end's state.
        VirtualEnd* far = ReceiverEnd();
        PortCore* receiver = far != nullptr ? far->core : nullptr;
        std::size_t piece = count - sent;
        if (receiver != nullptr && !self.paced) {
            piece = BytesBeforeFlowChange(*receiver, data + sent, piece);
        }
        const bool faultsArmed = self.dropAfter >= 0 || self.changeAfter >= 0 ||
                                 (far != nullptr && far->receiveError.has_value());
        if (receiver != nullptr && !self.paced && !faultsArmed) {
            DeliverBytes(*receiver, data + sent, piece);
            sent += piece;
            continue;
        }
        for (std::size_t i = 0; i < piece; ++i) {
            BYTE byte = data[sent + i];
            Clock::time_point at = now;
            if (self.paced) {
                at = std::max(now, self.lineFreeAt) + characterTime;
                self.lineFreeAt = at;
            }
            if (self.dropAfter >= 0 && self.dropAfter-- == 0) {
                continue;
            }
            if (self.changeAfter >= 0 && self.changeAfter-- == 0) {
                byte ^= self.changeFlip;
            }
            if (receiver == nullptr) {
                continue;
            }
            ArrivalKind kind = ArrivalKind::kData;
            if (far->receiveError) {
                kind = *far->receiveError;
                far->receiveError.reset();
            }
            Schedule(*receiver, at, byte, kind);
        }
        sent += piece;
        if (receiver != nullptr) {
            SettleArrivals(*receiver, now);
        }
    }
    wire_->changed.notify_all();
    return sent;
}

Clock::time_point VirtualLine::NextXonArrival() {
    const PortCore& mine = *Self().core;
    if (mine.obeyXonXoff) {
        for (const Arrival& arrival : mine.scheduled) {
            if (arrival.kind == ArrivalKind::kData &&
                arrival.byte == static_cast<BYTE>(mine.xonChar)) {
                return arrival.at;
            }
        }
    }
    return Clock::time_point::max();
}

BOOL VirtualLine::Write(const BYTE* data, DWORD count, DWORD* written,
                        const COMMTIMEOUTS& timeouts) {
    const Clock::time_point deadline = WriteDeadline(timeouts, count);
    std::unique_lock lock(wire_->lock);
    VirtualEnd& self = Self();
    PortCore& mine = *self.core;
    DWORD limit = count;
    if (self.writeLimit >= 0) {
        limit = std::min<DWORD>(count, static_cast<DWORD>(self.writeLimit));
        self.writeLimit = -1;
    }
    DWORD done = 0;
    BOOL result = 1;
    while (done < limit) {
        if (mine.closed || mine.vanished) {
            result = 0;
            break;
        }
        const Clock::time_point now = Clock::now();
        // What has arrived by now may hold or release this transmitter (XON/XOFF, and on a
        // loopback plug its own bytes), or make the receiver throttle.
        SettleArrivals(mine, now);
        if (VirtualEnd* far = ReceiverEnd(); far != nullptr && far->core != nullptr) {
            SettleArrivals(*far->core, now);
        }
        const bool held = TransmitterHeld();
        std::size_t canSend = held ? 0 : limit - done;
        Clock::time_point wakeAt = held ? std::min(deadline, NextXonArrival()) : deadline;
        if (VirtualEnd* far = ReceiverEnd(); far != nullptr && far->core != nullptr) {
            wakeAt = std::min(wakeAt, ThrottleDue(*far->core));
        }
        if (self.paced) {
            // The transmitter holds what is still on its way, whether anyone listens or not.
            const Clock::duration characterTime = CharacterTime(self.dcb);
            const Clock::duration busy = std::max(self.lineFreeAt - now, Clock::duration::zero());
            const auto inFlight = static_cast<std::size_t>(
                (busy + characterTime - Clock::duration{1}) / characterTime);
            canSend = std::min(canSend, kLineQueue - std::min(kLineQueue, inFlight));
            // Wait until a quarter of the queue has drained, not for every byte.
            const auto keep = static_cast<Clock::rep>(kLineQueue - kLineQueue / 4);
            wakeAt = std::min(wakeAt, self.lineFreeAt - characterTime * keep);
        }
        if (canSend > 0) {
            done += static_cast<DWORD>(Transmit(data + done, canSend, now));
            continue;
        }
        if (now >= deadline) {
            break;
        }
        if (wakeAt == Clock::time_point::max()) {
            wire_->changed.wait(lock);
        } else {
            wire_->changed.wait_until(lock, wakeAt);
        }
    }
    *written = done;
    return result;
}

bool VirtualLine::Escape(DWORD code) {
    std::lock_guard lock(wire_->lock);
    VirtualEnd& self = Self();
    if (self.vanished) {
        return false;
    }
    switch (code) {
        case SETRTS:
        case CLRRTS:
            self.rts = code == SETRTS;
            break;
        case SETDTR:
        case CLRDTR:
            self.dtr = code == SETDTR;
            break;
        case SETBREAK:
            if (VirtualEnd* far = ReceiverEnd(); far != nullptr && far->core != nullptr) {
                Schedule(*far->core, std::max(Clock::now(), self.lineFreeAt), 0,
                         ArrivalKind::kBreak);
                SettleArrivals(*far->core, Clock::now());
                wire_->changed.notify_all();
            }
            return true;
        case CLRBREAK:
            return true;
        case SETXOFF:
        case SETXON:
            // As if the flow character had been received.
            self.core->transmitHeld = code == SETXOFF;
            wire_->changed.notify_all();
            return true;
        default:
            return false;
    }
    PropagateLines(*wire_);
    return true;
}

bool VirtualLine::ModemStatus(DWORD* status) {
    std::lock_guard lock(wire_->lock);
    if (Self().vanished) {
        return false;
    }
    *status = Self().core->modem;
    return true;
}

DWORD VirtualLine::OutputQueued() {
    std::lock_guard lock(wire_->lock);
    VirtualEnd* far = ReceiverEnd();
    if (far == nullptr || far->core == nullptr) {
        return 0;
    }
    SettleArrivals(*far->core, Clock::now());
    return static_cast<DWORD>(far->core->scheduled.size());
}

void VirtualLine::Shutdown() {
    std::lock_guard lock(wire_->lock);
    VirtualEnd& self = Self();
    self.core->throttle = nullptr;
    self.core->fed = nullptr;
    self.core = nullptr;
    self.rts = false;
    self.dtr = false;
    PropagateLines(*wire_);
    // Far-end waiters look again: nobody listens now, the lines have dropped.
    wire_->changed.notify_all();
}

// Runs `change` on the end of a virtual port under its wire's lock.
template <typename Change>
bool ChangeEnd(int comNumber, Change change) {
    const std::optional<VirtualPort> port = FindPort(comNumber);
    if (!port) {
        return false;
    }
    std::lock_guard lock(port->wire->lock);
    change(*port->wire, port->wire->ends[port->end]);
    port->wire->changed.notify_all();
    return true;
}

}  // namespace

void ResetVirtualLines(const PortMap& map) {
    std::map<std::string, VirtualPort> firstEnds;
    std::map<int, VirtualPort> fresh;
    for (const auto& [number, entry] : map.entries) {
        if (entry.kind == LineKind::kDevice || entry.kind == LineKind::kNone) {
            continue;
        }
        VirtualPort port;
        if (entry.kind == LineKind::kNullModem) {
            if (const auto found = firstEnds.find(entry.cable); found != firstEnds.end()) {
                port = {found->second.wire, 1};
            } else {
                port = {std::make_shared<VirtualWire>(), 0};
                firstEnds[entry.cable] = port;
            }
        } else {
            port = {std::make_shared<VirtualWire>(), 0};
        }
        port.wire->kind = entry.kind;
        port.wire->ends[port.end].paced = entry.paced;
        port.wire->ends[port.end].busy = entry.busy;
        fresh[number] = port;
    }
    std::lock_guard lock(registryLock);
    registry = std::move(fresh);
}

std::shared_ptr<Wire> VirtualWireFor(int comNumber) {
    const std::optional<VirtualPort> port = FindPort(comNumber);
    return port ? port->wire : nullptr;
}

std::unique_ptr<LineDriver> OpenVirtualLine(const std::string& portName, int comNumber,
                                            PortCore& core) {
    const std::optional<VirtualPort> port = FindPort(comNumber);
    if (!port || port->wire != core.wire) {
        return nullptr;
    }
    std::lock_guard lock(port->wire->lock);
    VirtualEnd& end = port->wire->ends[port->end];
    const char* name = portName.c_str();
    if (end.vanished) {
        kernel::DebugPrint("%s: the virtual port is gone\n", name);
        return nullptr;
    }
    if (end.core != nullptr || end.busy) {
        kernel::DebugPrint("%s: the virtual port is busy\n", name);
        return nullptr;
    }
    end.core = &core;
    // A fresh open starts as a tty does: 9600 8N1, DTR and RTS raised.
    end.dcb = DCB{};
    end.dcb.BaudRate = 9600;
    end.dcb.ByteSize = 8;
    end.dcb.flags = kFlagBinary | (DTR_CONTROL_ENABLE << kDtrControlShift) |
                    (RTS_CONTROL_ENABLE << kRtsControlShift);
    end.dcb.XonChar = 0x11;
    end.dcb.XoffChar = 0x13;
    end.dtr = true;
    end.rts = true;
    end.lineFreeAt = Clock::now();
    PropagateLines(*port->wire);
    return std::make_unique<VirtualLine>(portName, port->wire, port->end);
}

bool InjectLineFault(int comNumber, LineFault fault) {
    return ChangeEnd(comNumber, [fault](VirtualWire&, VirtualEnd& end) {
        switch (fault) {
            case LineFault::kFrameError:
                end.receiveError = ArrivalKind::kFrameError;
                return;
            case LineFault::kParityError:
                end.receiveError = ArrivalKind::kParityError;
                return;
            case LineFault::kBreak:
            case LineFault::kOverrun:
                if (end.core != nullptr) {
                    Schedule(
                        *end.core, Clock::now(), 0,
                        fault == LineFault::kBreak ? ArrivalKind::kBreak : ArrivalKind::kOverrun);
                    SettleArrivals(*end.core, Clock::now());
                }
                return;
        }
    });
}

bool DropTransmittedByte(int comNumber, unsigned skip) {
    return ChangeEnd(comNumber, [skip](VirtualWire&, VirtualEnd& end) { end.dropAfter = skip; });
}

bool ChangeTransmittedByte(int comNumber, unsigned skip, unsigned char flip) {
    return ChangeEnd(comNumber, [skip, flip](VirtualWire&, VirtualEnd& end) {
        end.changeAfter = skip;
        end.changeFlip = flip;
    });
}

bool ShortenNextWrite(int comNumber, unsigned limit) {
    return ChangeEnd(comNumber, [limit](VirtualWire&, VirtualEnd& end) { end.writeLimit = limit; });
}

bool SetPortVanished(int comNumber, bool vanished) {
    return ChangeEnd(comNumber, [vanished](VirtualWire&, VirtualEnd& end) {
        end.vanished = vanished;
        if (end.core != nullptr && vanished) {
            end.core->vanished = true;
        }
    });
}

bool SetPortBusy(int comNumber, bool busy) {
    return ChangeEnd(comNumber, [busy](VirtualWire&, VirtualEnd& end) { end.busy = busy; });
}

bool SetRingIndicator(int comNumber, bool on) {
    return ChangeEnd(comNumber, [on](VirtualWire& wire, VirtualEnd& end) {
        end.ring = on;
        PropagateLines(wire);
    });
}

}  // namespace serial
