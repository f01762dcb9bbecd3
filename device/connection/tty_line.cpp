#include "device/connection/tty_line.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include "device/connection/dcb_termios.h"
#include "device/connection/line_events.h"
#include "kit_config.h"
#include "platform/kernel.h"

namespace serial {

namespace {

// How often modem inputs are read on a driver without TIOCMIWAIT.
constexpr long kModemPollNs = 50'000'000;
// A read that waited on the device keeps it from the I/O thread while reads keep coming:
// the device goes back after a tick of this length without one (so within two ticks).
constexpr long kLeaseNs = 10'000'000;
constexpr std::size_t kReadChunk = std::size_t{16} * 1024;
constexpr unsigned int kUnix98PtySlaveMajor = 136;
constexpr unsigned int kLegacyPtySlaveMajor = 3;

// TIOCMIWAIT wakes only on a line change or a signal: this signal, with a handler that does
// nothing, ends the watcher's wait at close.
int WakeSignal() {
    return SIGRTMIN;
}

void InstallWakeSignal() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: the ioctl must return EINTR
        sigaction(WakeSignal(), &action, nullptr);
    });
}

void Signal(int eventFd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(eventFd, &one, sizeof one);
}

void Drain(int eventFd) {
    std::uint64_t value;
    [[maybe_unused]] const ssize_t n = read(eventFd, &value, sizeof value);
}

bool GetTermios(int fd, termios2* tio) {
    return ioctl(fd, TCGETS2, tio) == 0;
}
bool SetTermios(int fd, const termios2& tio) {
    return ioctl(fd, TCSETS2, &tio) == 0;
}

// What the I/O thread's epoll reports.
enum WatchKey : std::uint64_t { kDeviceKey, kWakeKey, kCancelKey, kModemTimerKey, kLeaseKey };

class TtyLine final : public LineDriver, public DirectReceiver {
  public:
    TtyLine(std::string name, int fd, bool pseudoTerminal, PortCore& core);
    ~TtyLine() override;

    bool ApplyState(const DCB& dcb) override;
    void ReadState(DCB* dcb) override;
    BOOL Write(const BYTE* data, DWORD count, DWORD* written,
               const COMMTIMEOUTS& timeouts) override;
    bool Escape(DWORD code) override;
    bool ModemStatus(DWORD* status) override;
    DWORD OutputQueued() override;
    void Cancel() override {
        cancelled_ = true;
        Signal(cancelFd_);
    }
    void Shutdown() override;

    void FillNow(bool holding) override;
    bool Hold() override;
    void AwaitInput(Clock::time_point deadline) override;
    void Leave() override;
    void Synchronise() override;
    void EventWait(bool begins) override;

  private:
    void IoLoop();
    void ModemLoop();
    // Takes a burst of input into the ring, unless a read holds the device: one wake serves
    // the whole burst.
    void ReadInput(std::uint32_t events);
    // One read of the device into the ring's free space. Returns the bytes added (0 when
    // there is nothing, or no room: *full), or -1 once the line has gone away; *more while
    // the device may hold further bytes. Called with readLock_ held.
    long FillRing(bool* full, bool* more);
    // Reads up to `count` raw bytes from the descriptor, decoding marks into `out` and
    // latching the line errors. Returns the data bytes, or -1 once the line has gone away.
    // Called with readLock_ held.
    long ReadDecoded(BYTE* out, std::size_t count, bool* more);
    // The rest are called with readLock_ held. UpdateWatch has the I/O thread watch the
    // device for input, or for a hang-up only while a read holds it or the ring is full.
    void UpdateWatch();
    void Pause();
    void Release();
    void SetLease(bool running);
    void StopWatchingDevice();
    void LeaseTick();
    void Resume();
    void RefreshModem();
    bool ReadCounters(LineCounters* counters);
    void StartModemPoll();
    void LineGone();

    const std::string name_;
    const int fd_;
    const bool pseudoTerminal_;  // no wire: always 8N1, no line errors, no modem lines
    const bool errorMarks_;      // the line can carry line errors: read with in-band marks
    PortCore& core_;
    int epollFd_ = -1;
    int wakeFd_ = -1;                     // the ring has room again
    int cancelFd_ = -1;                   // set once, at close; never drained
    std::atomic<bool> cancelled_{false};  // the same, for a look without a system call
    int timerFd_ = -1;                    // slow modem poll
    int leaseFd_ = -1;                    // ticks while a read has taken the device
    std::thread io_;
    std::thread modemWatcher_;
    std::atomic<bool> modemWatcherDone_{true};
    std::mutex writeLock_;  // one WriteFile at a time, as the bytes were queued
    // Taken around every read of the descriptor, by the I/O thread and by readers: bytes
    // reach the callers in the order they arrived, and the decoder sees one stream.
    std::mutex readLock_;

    // Guarded by readLock_.
    MarkDecoder decoder_;
    LineCounters counters_;
    bool held_ = false;          // a read has taken the device; the I/O thread stays away
    bool holderInside_ = false;  // ... and is inside ReadFile now
    bool visited_ = false;       // a read took the device since the last lease tick
    bool leaseRunning_ = false;  // the lease timer ticks
    int eventWaiters_ = 0;       // WaitCommEvent calls inside
    bool paused_ = false;        // the ring is full
    bool lineOpen_ = true;       // the device is still watched at all
    bool watchingInput_ = true;  // what the device is registered for: input, or hang-up only
    // I/O thread only.
    bool hasCounters_ = false;
    bool hasModem_ = false;
};

TtyLine::TtyLine(std::string name, int fd, bool pseudoTerminal, PortCore& core)
    : name_(std::move(name)),
      fd_(fd),
      pseudoTerminal_(pseudoTerminal),
      errorMarks_(!pseudoTerminal),
      core_(core) {
    epollFd_ = epoll_create1(EPOLL_CLOEXEC);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    cancelFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    leaseFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    const std::pair<int, WatchKey> watched[] = {{fd_, kDeviceKey},
                                                {wakeFd_, kWakeKey},
                                                {cancelFd_, kCancelKey},
                                                {timerFd_, kModemTimerKey},
                                                {leaseFd_, kLeaseKey}};
    for (const auto& [watchedFd, key] : watched) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = key;
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, watchedFd, &event);
    }
    hasCounters_ = KIT_HAVE_TIOCGICOUNT && ReadCounters(&counters_);
    int bits = 0;
    hasModem_ = ioctl(fd_, TIOCMGET, &bits) == 0;
    {
        std::lock_guard lock(core_.wire->lock);
        if (hasModem_) {
            core_.modem = ModemStatusFromTiocm(bits);
        }
        core_.resumeReceive = [this] { Signal(wakeFd_); };
        core_.direct = this;
    }

    io_ = std::thread([this] { IoLoop(); });
    if (hasModem_) {
        if (KIT_HAVE_TIOCMIWAIT) {
            InstallWakeSignal();
            modemWatcherDone_ = false;
            modemWatcher_ = std::thread([this] { ModemLoop(); });
        } else {
            StartModemPoll();
        }
    }
}

TtyLine::~TtyLine() {
    Shutdown();
}

void TtyLine::Shutdown() {
    if (fd_ < 0 || !io_.joinable()) {
        return;
    }
    Signal(cancelFd_);
    io_.join();
    if (modemWatcher_.joinable()) {
        // Repeat the signal: one sent just before the watcher enters its wait is lost.
        while (!modemWatcherDone_) {
            pthread_kill(modemWatcher_.native_handle(), WakeSignal());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        modemWatcher_.join();
    }
    {
        std::lock_guard lock(core_.wire->lock);
        core_.resumeReceive = nullptr;
        core_.direct = nullptr;
    }
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    close(fd_);
    close(epollFd_);
    close(wakeFd_);
    close(cancelFd_);
    close(timerFd_);
    close(leaseFd_);
}

void TtyLine::IoLoop() {
    epoll_event events[5];
    for (;;) {
        const int n = epoll_wait(epollFd_, events, 5, -1);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            LineGone();
            return;
        }
        for (int i = 0; i < n; ++i) {
            switch (events[i].data.u64) {
                case kCancelKey:
                    return;
                case kWakeKey:
                    Drain(wakeFd_);
                    Resume();
                    break;
                case kModemTimerKey:
                    Drain(timerFd_);
                    RefreshModem();
                    break;
                case kLeaseKey:
                    Drain(leaseFd_);
                    LeaseTick();
                    break;
                default:
                    ReadInput(events[i].events);
                    break;
            }
        }
    }
}

void TtyLine::ReadInput(std::uint32_t events) {
    std::lock_guard fdRead(readLock_);
    if (!lineOpen_) {
        return;
    }
    if (!(events & EPOLLIN) || held_) {
        // A hang-up: a level that would be reported forever.
        if (events & (EPOLLHUP | EPOLLERR)) {
            LineGone();
            StopWatchingDevice();
        }
        return;
    }
    for (;;) {
        bool full = false;
        bool more = false;
        const long n = FillRing(&full, &more);
        if (n < 0) {
            StopWatchingDevice();
            return;
        }
        if (full) {
            Pause();
            return;
        }
        if (!more) {
            return;
        }
    }
}

long TtyLine::FillRing(bool* full, bool* more) {
    std::size_t span = 0;
    std::size_t tail = 0;
    {
        std::lock_guard lock(core_.wire->lock);
        span = FreeSpan(core_, &tail);
    }
    *full = span == 0;
    *more = false;
    if (span == 0) {
        return 0;
    }
    // Readers take only counted bytes and nobody else fills, so the free space is this
    // thread's until CommitBytes. One contiguous piece: a wrapped rest comes with the next.
    const long n = ReadDecoded(core_.ring.data() + tail, std::min(span, kReadChunk), more);
    if (n > 0) {
        std::lock_guard lock(core_.wire->lock);
        CommitBytes(core_, static_cast<std::size_t>(n));
    }
    return n;
}

long TtyLine::ReadDecoded(BYTE* out, std::size_t count, bool* more) {
    // Marks only make the raw stream longer, so `count` raw bytes always fit once decoded.
    BYTE raw[kReadChunk];
    const ssize_t n = read(fd_, errorMarks_ ? raw : out, count);
    *more = n > 0 && static_cast<std::size_t>(n) == count;
    if (n <= 0) {
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            LineGone();
            return -1;
        }
        return 0;
    }
    if (!errorMarks_) {
        return static_cast<long>(n);
    }
    const DecodedMarks marks = DecodeMarked(decoder_, raw, static_cast<std::size_t>(n), out);
    DWORD errors = 0;
    LineCounters now;
    if (hasCounters_ && ReadCounters(&now)) {
        errors = ErrorsFromCounters(counters_, now);
        counters_ = now;
    } else if (marks.breaks > 0 || marks.errorBytes > 0) {
        termios2 tio{};
        errors = ErrorsFromMarks(marks, GetTermios(fd_, &tio) && (tio.c_cflag & PARENB));
    }
    if (errors != 0) {
        std::lock_guard lock(core_.wire->lock);
        LatchErrors(core_, errors);
    }
    return static_cast<long>(marks.dataCount);
}

void TtyLine::FillNow(bool holding) {
    std::lock_guard fdRead(readLock_);
    if (!lineOpen_ || (holderInside_ && !holding)) {
        return;
    }
    bool full = false;
    bool more = false;
    if (FillRing(&full, &more) < 0) {
        StopWatchingDevice();
    }
}

bool TtyLine::Hold() {
    std::lock_guard fdRead(readLock_);
    if (holderInside_ || eventWaiters_ > 0 || !lineOpen_) {
        return false;
    }
    holderInside_ = true;
    visited_ = true;
    if (!held_) {
        held_ = true;
        UpdateWatch();
    }
    return true;
}

void TtyLine::AwaitInput(Clock::time_point deadline) {
    int waitMs = -1;
    if (deadline != Clock::time_point::max()) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        waitMs = static_cast<int>(std::clamp<long long>(left, 0, std::numeric_limits<int>::max()));
    }
    // The cancel eventfd stays set once CloseHandle has begun, so this returns at once then.
    pollfd fds[] = {{fd_, POLLIN, 0}, {cancelFd_, POLLIN, 0}};
    poll(fds, 2, waitMs);
}

void TtyLine::Leave() {
    {
        std::lock_guard fdRead(readLock_);
        holderInside_ = false;
        if (eventWaiters_ > 0) {
            Release();
        } else if (held_) {
            SetLease(true);
        }
    }
    // A read that could not take the device waits on the wire: it may take it now.
    std::lock_guard lock(core_.wire->lock);
    core_.wire->changed.notify_all();
}

void TtyLine::Synchronise() {
    std::lock_guard fdRead(readLock_);
    if (held_ && !holderInside_ && lineOpen_) {
        bool full = false;
        bool more = false;
        if (FillRing(&full, &more) < 0) {
            StopWatchingDevice();
            return;
        }
        Release();
    }
}

void TtyLine::EventWait(bool begins) {
    std::lock_guard fdRead(readLock_);
    if (!begins) {
        --eventWaiters_;
        return;
    }
    ++eventWaiters_;
    if (held_ && !holderInside_) {
        Release();
    }
}

void TtyLine::UpdateWatch() {
    if (!lineOpen_) {
        return;
    }
    const bool input = !held_ && !paused_;
    if (input == watchingInput_) {
        return;
    }
    watchingInput_ = input;
    epoll_event event{};
    event.events = input ? EPOLLIN : EPOLLHUP;
    event.data.u64 = kDeviceKey;
    epoll_ctl(epollFd_, EPOLL_CTL_MOD, fd_, &event);
}

void TtyLine::Pause() {
    {
        std::lock_guard lock(core_.wire->lock);
        if (core_.ringCount < kReceiveCapacity) {
            return;  // a read has made room meanwhile
        }
        core_.receivePaused = true;
    }
    paused_ = true;
    UpdateWatch();
}

void TtyLine::Resume() {
    std::lock_guard fdRead(readLock_);
    paused_ = false;
    UpdateWatch();
}

void TtyLine::Release() {
    held_ = false;
    SetLease(false);
    UpdateWatch();
}

void TtyLine::SetLease(bool running) {
    if (running == leaseRunning_) {
        return;
    }
    leaseRunning_ = running;
    itimerspec every{};
    if (running) {
        every.it_interval.tv_nsec = kLeaseNs;
        every.it_value.tv_nsec = kLeaseNs;
    }
    timerfd_settime(leaseFd_, 0, &every, nullptr);
}

void TtyLine::LeaseTick() {
    std::lock_guard fdRead(readLock_);
    if (holderInside_) {
        // A read waiting on an idle device costs no ticks; it restarts them when it leaves.
        SetLease(false);
        return;
    }
    // Back to the I/O thread after a whole tick without a read that waited on the device.
    if (held_ && !visited_) {
        Release();
    }
    visited_ = false;
}

void TtyLine::StopWatchingDevice() {
    if (lineOpen_) {
        lineOpen_ = false;
        epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd_, nullptr);
    }
}

bool TtyLine::ReadCounters(LineCounters* counters) {
#if KIT_HAVE_TIOCGICOUNT
    serial_icounter_struct icount{};
    if (ioctl(fd_, TIOCGICOUNT, &icount) != 0) {
        return false;
    }
    counters->frame = static_cast<std::uint32_t>(icount.frame);
    counters->parity = static_cast<std::uint32_t>(icount.parity);
    counters->overrun = static_cast<std::uint32_t>(icount.overrun);
    counters->bufOverrun = static_cast<std::uint32_t>(icount.buf_overrun);
    counters->brk = static_cast<std::uint32_t>(icount.brk);
    return true;
#else
    (void)counters;
    return false;
#endif
}

void TtyLine::RefreshModem() {
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0) {
        return;
    }
    std::lock_guard lock(core_.wire->lock);
    UpdateModem(core_, ModemStatusFromTiocm(bits));
}

void TtyLine::StartModemPoll() {
    itimerspec every{};
    every.it_interval.tv_nsec = kModemPollNs;
    every.it_value.tv_nsec = kModemPollNs;
    timerfd_settime(timerFd_, 0, &every, nullptr);
}

void TtyLine::ModemLoop() {
#if KIT_HAVE_TIOCMIWAIT
    // The wake signal must reach this thread whatever mask the opening thread had.
    sigset_t wake;
    sigemptyset(&wake);
    sigaddset(&wake, WakeSignal());
    pthread_sigmask(SIG_UNBLOCK, &wake, nullptr);
    pollfd cancel{cancelFd_, POLLIN, 0};
    while (poll(&cancel, 1, 0) == 0) {
        if (ioctl(fd_, TIOCMIWAIT, TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RNG) == 0) {
            RefreshModem();
        } else if (errno != EINTR) {
            // The driver cannot wait for line changes: read them on a timer instead.
            StartModemPoll();
            break;
        }
    }
#endif
    modemWatcherDone_ = true;
}

void TtyLine::LineGone() {
    std::lock_guard lock(core_.wire->lock);
    if (!core_.vanished) {
        kernel::DebugPrint("%s: the device went away\n", name_.c_str());
    }
    core_.vanished = true;
    core_.wire->changed.notify_all();
}

bool TtyLine::ApplyState(const DCB& dcb) {
    // The pty driver forces 8 data bits and no parity but keeps CSTOPB, so a read-back alone
    // would take two stop bits for held.
    if (pseudoTerminal_ &&
        (dcb.ByteSize != 8 || dcb.Parity != NOPARITY || dcb.StopBits != ONESTOPBIT)) {
        kernel::DebugPrint("%s: a pseudo-terminal runs 8N1 only\n", name_.c_str());
        return false;
    }
    termios2 before{};
    if (!GetTermios(fd_, &before)) {
        return false;
    }
    termios2 wanted = before;
    ApplyDcbToTermios(dcb, errorMarks_, &wanted);
    termios2 kept{};
    if (!SetTermios(fd_, wanted) || !GetTermios(fd_, &kept) || !TermiosHoldsRequest(wanted, kept)) {
        kernel::DebugPrint("%s: the driver cannot hold %u baud, %u data bits, parity %u, stop %u\n",
                           name_.c_str(), dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits);
        SetTermios(fd_, before);
        return false;
    }
    // Modem-line failures are left to the caller's escape calls: a pseudo-terminal has none.
    Escape(DtrControl(dcb) == DTR_CONTROL_ENABLE ? SETDTR : CLRDTR);
    if (RtsControl(dcb) != RTS_CONTROL_HANDSHAKE) {
        Escape(RtsControl(dcb) == RTS_CONTROL_ENABLE ? SETRTS : CLRRTS);
    }
    return true;
}

void TtyLine::ReadState(DCB* dcb) {
    termios2 tio{};
    if (GetTermios(fd_, &tio)) {
        ReadTermiosIntoDcb(tio, dcb);
    }
}

BOOL TtyLine::Write(const BYTE* data, DWORD count, DWORD* written, const COMMTIMEOUTS& timeouts) {
    std::lock_guard serialise(writeLock_);
    const Clock::time_point deadline = WriteDeadline(timeouts, count);
    DWORD done = 0;
    BOOL result = 1;
    if (cancelled_) {
        *written = 0;
        return 0;  // queued behind another write while the port was being closed
    }
    while (done < count) {
        const ssize_t n = write(fd_, data + done, count - done);
        if (n > 0) {
            done += static_cast<DWORD>(n);
            if (done == count) {
                break;
            }
            // A short write: the kernel's buffer is full, so wait for room instead of asking
            // again at once.
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            LineGone();
            result = 0;
            break;
        }
        int waitMs = -1;
        if (deadline != Clock::time_point::max()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                break;
            }
            waitMs = static_cast<int>(std::min<long long>(left, std::numeric_limits<int>::max()));
        }
        pollfd fds[] = {{fd_, POLLOUT, 0}, {cancelFd_, POLLIN, 0}};
        if (poll(fds, 2, waitMs) < 0 && errno != EINTR) {
            result = 0;
            break;
        }
        if (fds[1].revents) {
            result = 0;
            break;
        }
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            LineGone();
            result = 0;
            break;
        }
    }
    *written = done;
    return result;
}

bool TtyLine::Escape(DWORD code) {
    int line = 0;
    switch (code) {
        case SETRTS:
        case CLRRTS:
            line = TIOCM_RTS;
            return ioctl(fd_, code == SETRTS ? TIOCMBIS : TIOCMBIC, &line) == 0;
        case SETDTR:
        case CLRDTR:
            line = TIOCM_DTR;
            return ioctl(fd_, code == SETDTR ? TIOCMBIS : TIOCMBIC, &line) == 0;
        case SETBREAK:
            return ioctl(fd_, TIOCSBRK) == 0;
        case CLRBREAK:
            return ioctl(fd_, TIOCCBRK) == 0;
        case SETXOFF:
            return ioctl(fd_, TCXONC, TCOOFF) == 0;
        case SETXON:
            return ioctl(fd_, TCXONC, TCOON) == 0;
        default:
            return false;
    }
}

bool TtyLine::ModemStatus(DWORD* status) {
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0) {
        return false;
    }
    *status = ModemStatusFromTiocm(bits);
    return true;
}

DWORD TtyLine::OutputQueued() {
    int queued = 0;
    return ioctl(fd_, TIOCOUTQ, &queued) == 0 ? static_cast<DWORD>(queued) : 0;
}

// A pseudo-terminal's device end: no wire, so no breaks, framing or parity errors.
bool IsPseudoTerminal(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        return false;
    }
    const unsigned int kind = major(st.st_rdev);
    return (kind >= kUnix98PtySlaveMajor && kind < kUnix98PtySlaveMajor + 8) ||
           kind == kLegacyPtySlaveMajor;
}

// Puts the line in raw mode, keeping its rate and framing. Flow control starts off: a tty's
// terminal defaults include XON/XOFF, which would swallow those two byte values of a binary
// test and stall the transmitter.
bool MakeRaw(int fd, bool errorMarks) {
    termios2 tio{};
    if (!GetTermios(fd, &tio)) {
        return false;
    }
    DCB current;
    ReadTermiosIntoDcb(tio, &current);
    current.flags = kFlagBinary | (DTR_CONTROL_ENABLE << kDtrControlShift) |
                    (RTS_CONTROL_ENABLE << kRtsControlShift);
    ApplyDcbToTermios(current, errorMarks, &tio);
    return SetTermios(fd, tio);
}

}  // namespace

std::unique_ptr<LineDriver> OpenTtyLine(const std::string& portName, const std::string& path,
                                        PortCore& core) {
    const char* name = portName.c_str();
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENODEV || err == ENXIO) {
            kernel::DebugPrint("%s: %s does not exist\n", name, path.c_str());
        } else if (err == EBUSY) {
            kernel::DebugPrint("%s: %s is busy: another program has it open\n", name, path.c_str());
        } else if (err == EACCES || err == EPERM) {
            kernel::DebugPrint(
                "%s: permission denied on %s: add your user to the dialout group "
                "(sudo usermod -aG dialout $USER) and log in again\n",
                name, path.c_str());
        } else {
            kernel::DebugPrint("%s: cannot open %s: %s\n", name, path.c_str(),
                               std::generic_category().message(err).c_str());
        }
        return nullptr;
    }
    if (!isatty(fd)) {
        kernel::DebugPrint("%s: %s is not a serial device\n", name, path.c_str());
        close(fd);
        return nullptr;
    }
    // flock holds root out too; TIOCEXCL also stops programs that do not take the lock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        kernel::DebugPrint("%s: %s is busy: another program has it open\n", name, path.c_str());
        close(fd);
        return nullptr;
    }
    const bool pseudoTerminal = IsPseudoTerminal(fd);
    if (!MakeRaw(fd, !pseudoTerminal)) {
        kernel::DebugPrint("%s: cannot set up %s: %s\n", name, path.c_str(),
                           std::generic_category().message(errno).c_str());
        close(fd);
        return nullptr;
    }
    return std::make_unique<TtyLine>(portName, fd, pseudoTerminal, core);
}

}  // namespace serial
