// Idle cost: one thread blocked in WaitCommEvent on a port that receives nothing, on a virtual
// loopback and on a pseudo-terminal. The process's CPU time over a few seconds of that
// idleness is set against one core busy for the same wall time.
#include <atomic>
#include <chrono>
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

constexpr auto kIdle = 3s;
constexpr DWORD kEveryEvent = 0x01F9;
constexpr COMMTIMEOUTS kTerminal{MAXDWORD, 0, 0, 0, 0};

bench::Row IdleWhileWaiting(const char* what, const char* name) {
    const HANDLE port = bench::OpenPort(name, 115200, kTerminal);
    SetCommMask(port, kEveryEvent);
    std::atomic<bool> returned = false;
    std::thread waiter([port, &returned] {
        DWORD events = 0;
        WaitCommEvent(port, &events);
        returned = true;
    });
    // Let the waiter block and the port's own threads settle before the clock starts.
    std::this_thread::sleep_for(100ms);
    const double cpuBefore = bench::ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(kIdle);
    const double cpu = bench::ProcessCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    if (returned) {
        bench::Abort(std::string("the wait on ") + name + " returned on an idle port");
    }
    CloseHandle(port);  // releases the waiter
    waiter.join();
    const double share = cpu / wall;
    return {what, bench::Format("%.4f %% (%.2f ms CPU)", share * 100, cpu * 1e3),
            bench::Format("100 %% (%.1f s)", wall), share, bench::Below(0.001)};
}

void Run() {
    const bench::PseudoTerminal pair;
    bench::UsePortMap("COM1 loopback\nCOM11 " + pair.devicePath() + "\n");
    const std::vector<bench::Row> rows = {
        IdleWhileWaiting("WaitCommEvent, virtual loopback", "COM1:"),
        IdleWhileWaiting("WaitCommEvent, pseudo-terminal", "COM11:"),
    };
    bench::PrintTable(
        bench::Format("Idle cost of a pending WaitCommEvent (mask 0x%04X), process CPU "
                      "time over %lld s; baseline: one core over the same wall time",
                      kEveryEvent, static_cast<long long>(kIdle.count())),
        rows);
}

}  // namespace
}  // namespace serial

int main() {
    serial::Run();
    return 0;
}
