// Wake-up latency of blocked calls: from just before the event is caused on this thread to the
// return of the call blocked on a waiting thread. Before each sample the waiting thread has
// been blocked for a while, so every sample is a real wake-up. Median and 99th percentile
// are set against a bound of 1 ms.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_setup.h"
#include "device/connection/serial_api.h"

namespace serial {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kSamples = 2000;
constexpr int kCloseSamples = 1000;  // each opens a port, which costs more
constexpr auto kBlockedFor = 300us;
constexpr DWORD kEveryEvent = 0x01F9;
constexpr COMMTIMEOUTS kTerminal{MAXDWORD, 0, 0, 0, 0};
constexpr COMMTIMEOUTS kWaitForCount{0, 0, 0, 0, 0};
constexpr double kBoundUs = 1000;

struct Probe {
    std::function<void()> prepare;  // on this thread, before the waiter blocks
    std::function<void()> blocked;  // the call that blocks, on the waiting thread
    std::function<void()> trigger;  // what ends it, on this thread
    std::function<void()> check;    // after the call returned, on this thread
};

// Microseconds from each trigger to the return of the blocked call, sorted.
std::vector<double> Measure(const Probe& probe, int samples) {
    std::atomic<int> go = 0;        // the sample the waiter is to block for; -1 to stop
    std::atomic<int> entered = 0;   // the sample whose call the waiter is about to make
    std::atomic<int> returned = 0;  // the sample whose call has returned
    Clock::time_point returnedAt;   // published by `returned`
    std::thread waiter([&] {
        for (int sample = 1;; ++sample) {
            go.wait(sample - 1);
            if (go.load() < 0) {
                return;
            }
            entered.store(sample);
            entered.notify_one();
            probe.blocked();
            returnedAt = Clock::now();
            returned.store(sample);
            returned.notify_one();
        }
    });
    std::vector<double> latencies;
    for (int sample = 1; sample <= samples; ++sample) {
        probe.prepare();
        go.store(sample);
        go.notify_one();
        entered.wait(sample - 1);
        std::this_thread::sleep_for(kBlockedFor);
        const Clock::time_point triggeredAt = Clock::now();
        probe.trigger();
        returned.wait(sample - 1);
        latencies.push_back(
            std::chrono::duration<double, std::micro>(returnedAt - triggeredAt).count());
        probe.check();
    }
    go.store(-1);
    go.notify_one();
    waiter.join();
    std::sort(latencies.begin(), latencies.end());
    return latencies;
}

bench::Row Report(const char* what, const std::vector<double>& sorted) {
    const double median = sorted[sorted.size() / 2];
    const double p99 = sorted[(sorted.size() * 99 + 99) / 100 - 1];
    return {what, bench::Format("%.0f us (p99 %.0f us)", median, p99),
            bench::Format("%.0f us", kBoundUs), median / kBoundUs, bench::Below(1)};
}

void Expect(bool held, const char* what) {
    if (!held) {
        bench::Abort(what);
    }
}

// WaitCommEvent wakes for a byte that `send` puts on the line; the byte is read back after.
bench::Row ByteArrival(const char* what, HANDLE port, const std::function<void()>& send) {
    SetCommMask(port, kEveryEvent);
    DWORD events = 0;
    const Probe probe{[] {}, [&] { WaitCommEvent(port, &events); }, send,
                      [&] {
                          char byte = 0;
                          DWORD got = 0;
                          Expect(events & EV_RXCHAR, "the wait returned without EV_RXCHAR");
                          Expect(ReadFile(port, &byte, 1, &got) && got == 1, "the byte is lost");
                      }};
    return Report(what, Measure(probe, kSamples));
}

// WaitCommEvent wakes for EV_CTS when the loopback plug carries RTS back as CTS.
bench::Row ModemChange(HANDLE port) {
    SetCommMask(port, kEveryEvent);
    DWORD events = 0;
    bool raised = true;
    const Probe probe{[] {}, [&] { WaitCommEvent(port, &events); },
                      [&] {
                          raised = !raised;
                          EscapeCommFunction(port, raised ? SETRTS : CLRRTS);
                      },
                      [&] { Expect(events == EV_CTS, "the wait returned without EV_CTS"); }};
    return Report("RTS change -> WaitCommEvent (loopback)", Measure(probe, kSamples));
}

// A call blocked on a freshly opened port returns failing when another thread closes it.
bench::Row Closing(const char* what, const char* name, bool read) {
    HANDLE port = INVALID_HANDLE_VALUE;
    BOOL result = 1;
    const Probe probe{[&] {
                          port = bench::OpenPort(name, 115200, kWaitForCount);
                          SetCommMask(port, kEveryEvent);
                      },
                      [&] {
                          char buffer[16];
                          DWORD count = 0;
                          result = read ? ReadFile(port, buffer, sizeof buffer, &count)
                                        : WaitCommEvent(port, &count);
                      },
                      [&] { CloseHandle(port); },
                      [&] { Expect(result == 0, "a call on a closed port succeeded"); }};
    return Report(what, Measure(probe, kCloseSamples));
}

void Run() {
    const bench::PseudoTerminal pair;
    bench::UsePortMap("COM1 loopback\nCOM11 " + pair.devicePath() + "\n");
    std::vector<bench::Row> rows;
    {
        const HANDLE tty = bench::OpenPort("COM11:", 115200, kTerminal);
        rows.push_back(ByteArrival("byte -> WaitCommEvent (pty)", tty, [&] {
            Expect(write(pair.master(), "x", 1) == 1, "cannot write to the master");
        }));
        CloseHandle(tty);
    }
    {
        const HANDLE loopback = bench::OpenPort("COM1:", 115200, kTerminal);
        rows.push_back(ByteArrival("byte -> WaitCommEvent (loopback)", loopback, [&] {
            DWORD written = 0;
            Expect(WriteFile(loopback, "x", 1, &written) && written == 1, "WriteFile failed");
        }));
        rows.push_back(ModemChange(loopback));
        CloseHandle(loopback);
    }
    rows.push_back(Closing("CloseHandle -> WaitCommEvent (loopback)", "COM1:", false));
    rows.push_back(Closing("CloseHandle -> ReadFile (loopback)", "COM1:", true));
    rows.push_back(Closing("CloseHandle -> WaitCommEvent (pty)", "COM11:", false));
    rows.push_back(Closing("CloseHandle -> ReadFile (pty)", "COM11:", true));
    bench::PrintTable(bench::Format("Wake-up latency, median (p99) of %d samples (%d for closing); "
                                    "baseline: the 1 ms bound",
                                    kSamples, kCloseSamples),
                      rows);
}

}  // namespace
}  // namespace serial

int main() {
    serial::Run();
    return 0;
}
