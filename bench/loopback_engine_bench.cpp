// The loopback test's engine over ten virtual loopback ports, 1000-byte packages: passes per
// second per port through the real writer and reader threads (result lines discarded), set
// against a bare write/read/compare loop per port on the same virtual ports in the same run,
// and the CPU a pass costs. Then ten paced ports at 921600 baud: the bytes each port loops
// per second over what the line can carry (8N1, ten bits a byte).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_setup.h"
#include "device/connection/device_state.h"
#include "device/connection/serial_api.h"
#include "device/loopback/loopback_test.h"

namespace bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kPorts = 10;
constexpr std::uint32_t kPackage = 1000;
constexpr auto kSettle = 300ms;  // ports opened and threads running before the count starts
constexpr auto kMeasure = 3s;
constexpr int kRounds = 3;
constexpr serial::COMMTIMEOUTS kDeviceLoopback{0, 0, 10000, 0, 0};

struct Figures {
    double passesPerSecond = 0;  // per port
    double cpuPerPass = 0;       // seconds
};

// COM1 to COM10 loopback plugs, paced or not.
void UseLoopbackPorts(bool paced) {
    std::string map;
    for (int port = 1; port <= kPorts; ++port) {
        map += "COM" + std::to_string(port) + " loopback" + (paced ? " paced" : "") + "\n";
    }
    UsePortMap(map);
}

// Counts the passes that `passes` reports over kMeasure, after kSettle.
template <typename Passes>
Figures Measure(const Passes& passes) {
    std::this_thread::sleep_for(kSettle);
    const int passesBefore = passes();
    const double cpuBefore = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(kMeasure);
    const int done = passes() - passesBefore;
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (done <= 0) {
        Abort("no pass ended");
    }
    return {done / seconds / kPorts, cpu / done};
}

void DiscardLine(const char16_t*, int) {}
void NoOutput() {}

Figures Engine(serial::DWORD rate) {
    device::DeviceState& s = device::deviceState;
    device::ResetDeviceState();
    s.loopFirstPort = 1;
    s.loopPortCount = kPorts;
    s.packageSize = kPackage;
    s.portSettings.dcb.BaudRate = rate;
    s.loopRun.writeLine = DiscardLine;
    s.loopRun.clearOutput = NoOutput;
    if (!device::StartLoopback() || s.loopRun.unopened > 0) {
        Abort("the loopback test did not start on every port");
    }
    const Figures f = Measure([&s] { return s.loopRun.passes.load(); });
    device::StopLoopback();
    for (const device::LoopbackPortSlot& slot : s.loopSlots) {
        if (slot.errorCount > 0) {
            Abort("a loopback pass failed");
        }
    }
    return f;
}

// The bare loops' shared state: the package, the pass count and the end.
struct BareRun {
    std::vector<serial::BYTE> package;
    std::atomic<int> passes{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> failed{false};

    BareRun() : package(kPackage) {
        for (std::uint32_t i = 0; i < kPackage; ++i) {
            package[i] = static_cast<serial::BYTE>('0' + i % 10);
        }
    }

    bool Write(serial::HANDLE port) {
        serial::DWORD written = 0;
        return serial::WriteFile(port, package.data(), kPackage, &written) && written == kPackage;
    }

    bool ReadAndCompare(serial::HANDLE port, std::vector<serial::BYTE>& received) {
        serial::DWORD got = 0;
        return serial::ReadFile(port, received.data(), kPackage, &got) && got == kPackage &&
               std::memcmp(received.data(), package.data(), kPackage) == 0;
    }
};

// One thread per port: write a package, read it back, compare, again.
void OneThreadLoop(BareRun& run, serial::HANDLE port) {
    std::vector<serial::BYTE> received(kPackage);
    while (!run.stop) {
        if (!run.Write(port) || !run.ReadAndCompare(port, received)) {
            run.failed = true;
            return;
        }
        ++run.passes;
    }
}

// The engine's shape without its engine: per port a writer thread that writes a package when
// the reader thread releases it, and the reader that releases it, reads, compares, again. The
// release is a bare flag under a lock with a condition of its own.
void TwoThreadLoop(BareRun& run, serial::HANDLE port) {
    std::mutex lock;
    std::condition_variable changed;
    bool release = false;
    bool readerDone = false;
    std::thread writer([&] {
        for (;;) {
            std::unique_lock guard(lock);
            changed.wait(guard, [&] { return release || readerDone; });
            if (!release) {
                return;
            }
            release = false;
            guard.unlock();
            if (!run.Write(port)) {
                run.failed = true;
                return;
            }
        }
    });
    std::vector<serial::BYTE> received(kPackage);
    while (!run.stop) {
        {
            std::lock_guard guard(lock);
            release = true;
        }
        changed.notify_one();
        if (!run.ReadAndCompare(port, received)) {
            run.failed = true;
            break;
        }
        ++run.passes;
    }
    {
        std::lock_guard guard(lock);
        readerDone = true;
    }
    changed.notify_one();
    writer.join();
}

Figures Bare(void (*loop)(BareRun&, serial::HANDLE)) {
    BareRun run;
    std::vector<serial::HANDLE> ports;
    std::vector<std::thread> threads;
    for (int port = 1; port <= kPorts; ++port) {
        const std::string name = "COM" + std::to_string(port % kPorts) + ":";
        ports.push_back(OpenPort(name.c_str(), 115200, kDeviceLoopback));
        threads.emplace_back(loop, std::ref(run), ports.back());
    }
    const Figures f = Measure([&run] { return run.passes.load(); });
    run.stop = true;
    for (std::thread& t : threads) {
        t.join();
    }
    for (const serial::HANDLE port : ports) {
        serial::CloseHandle(port);
    }
    if (run.failed) {
        Abort("a bare loopback pass failed");
    }
    return f;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Series {
    std::vector<double> rate;
    std::vector<double> cpu;

    void Add(const Figures& f) {
        rate.push_back(f.passesPerSecond);
        cpu.push_back(f.cpuPerPass);
    }
};

Row RateRow(const char* measured, const Series& ours, const Series& bare,
            const std::vector<double>& ratios) {
    return {measured, Format("%.0f passes/s", Median(ours.rate)),
            Format("%.0f passes/s", Median(bare.rate)), Median(ratios), AtLeast(0.8)};
}

Row CpuRow(const char* measured, const Series& ours, const Series& bare) {
    return {measured, Format("%.1f us", Median(ours.cpu) * 1e6),
            Format("%.1f us", Median(bare.cpu) * 1e6), Median(ours.cpu) / Median(bare.cpu),
            NoGoal()};
}

void Run() {
    // Unpaced: the engine's passes against both bare loops', round by round.
    UseLoopbackPorts(false);
    Series engine;
    Series oneThread;
    Series twoThreads;
    std::vector<double> toOneThread;
    std::vector<double> toTwoThreads;
    for (int round = 0; round < kRounds; ++round) {
        oneThread.Add(Bare(OneThreadLoop));
        twoThreads.Add(Bare(TwoThreadLoop));
        engine.Add(Engine(115200));
        toOneThread.push_back(engine.rate.back() / oneThread.rate.back());
        toTwoThreads.push_back(engine.rate.back() / twoThreads.rate.back());
    }
    // Paced: each port's bytes looped per second against the line rate.
    constexpr serial::DWORD kRate = 921600;
    UseLoopbackPorts(true);
    const Figures paced = Engine(kRate);
    const double lineLimit = kRate / 10.0;
    const double looped = paced.passesPerSecond * kPackage;
    const std::vector<Row> rows = {
        RateRow("unpaced, per port / one-thread bare loop", engine, oneThread, toOneThread),
        RateRow("unpaced, per port / two-thread bare loop", engine, twoThreads, toTwoThreads),
        CpuRow("CPU per pass / one-thread bare loop", engine, oneThread),
        CpuRow("CPU per pass / two-thread bare loop", engine, twoThreads),
        {"paced 921600 baud, per port / line rate", Format("%.0f B/s", looped),
         Format("%.0f B/s", lineLimit), looped / lineLimit, AtLeast(0.95)},
    };
    PrintTable(Format("Loopback engine: %d virtual loopback ports, %u-byte packages, %lld s "
                      "each, unpaced median of %d rounds; baselines: a bare write/read/compare "
                      "loop per port on one thread, and on a writer and a reader thread; the "
                      "line rate / 10",
                      kPorts, kPackage, static_cast<long long>(kMeasure.count()), kRounds),
               rows);
}

}  // namespace
}  // namespace bench

int main() {
    bench::Run();
    return 0;
}
