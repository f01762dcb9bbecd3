// A paced virtual loopback kept busy: a writer thread writes blocks while this thread reads
// them back under the device tester's time-outs. The bytes read per second are set against
// what the line can carry at its rate, 8N1 being ten bits a byte.
#include <chrono>
#include <thread>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_setup.h"
#include "device/connection/serial_api.h"

namespace serial {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kRun = 2s;
constexpr DWORD kBlock = 1024;
constexpr COMMTIMEOUTS kDeviceLoopback{0, 0, 10000, 0, 0};

bench::Row Paced(DWORD rate) {
    const HANDLE port = bench::OpenPort("COM5:", rate, kDeviceLoopback);
    std::thread writer([port] {
        const std::vector<BYTE> block(kBlock, 0x55);
        DWORD written = 0;
        // Runs until the close below makes the write fail.
        while (WriteFile(port, block.data(), kBlock, &written)) {
        }
    });
    std::vector<BYTE> buffer(kBlock);
    const Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    double received = 0;
    while (last - start < kRun) {
        DWORD got = 0;
        if (!ReadFile(port, buffer.data(), kBlock, &got) || got == 0) {
            bench::Abort("the loopback returned nothing");
        }
        received += got;
        last = Clock::now();
    }
    CloseHandle(port);
    writer.join();
    const double achieved = received / std::chrono::duration<double>(last - start).count();
    const double lineLimit = rate / 10.0;
    return {bench::Format("%u baud, 8N1", rate), bench::Format("%.0f B/s", achieved),
            bench::Format("%.0f B/s", lineLimit), achieved / lineLimit, bench::AtLeast(0.97)};
}

void Run() {
    bench::UsePortMap("COM5 loopback paced\n");
    const std::vector<bench::Row> rows = {Paced(115200), Paced(921600)};
    bench::PrintTable(
        bench::Format("Paced virtual loopback, bytes read back per second over %lld s "
                      "each; baseline: the line rate / 10",
                      static_cast<long long>(kRun.count())),
        rows);
}

}  // namespace
}  // namespace serial

int main() {
    serial::Run();
    return 0;
}
