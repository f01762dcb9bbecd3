// Bulk transfer over a pseudo-terminal pair, each way: through a port's WriteFile/ReadFile
// against a bare blocking read/write loop on a raw pair, same chunk size and total. A writer
// thread feeds one end while this thread drains the other. Each figure is the median of a
// few rounds, baseline and port taking turns on fresh pairs so that drift hits both alike.
// A third row reads as the terminal does, one byte per ReadFile after each WaitCommEvent,
// against a bare loop of one-byte reads: the cost of a call when bytes are waiting.
#include <unistd.h>

#include <algorithm>
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

using Clock = std::chrono::steady_clock;
using Move = std::function<long(BYTE*, std::size_t)>;  // bytes moved, <= 0 on failure

constexpr std::size_t kChunk = 4096;
constexpr std::size_t kTotal = std::size_t{16} << 20;
constexpr std::size_t kTerminalTotal = std::size_t{64} << 10;
constexpr int kRounds = 21;
constexpr int kTerminalRounds = 7;
// ReadFile returns as soon as any byte is there.
constexpr COMMTIMEOUTS kFirstByte{MAXDWORD, MAXDWORD, 1000, 0, 0};
// The terminal's reads return at once with what is there.
constexpr COMMTIMEOUTS kReturnAtOnce{MAXDWORD, 0, 0, 0, 0};

enum class Mode { kToMaster, kFromMaster, kTerminal };

// Moves `total` bytes from `send` (on a writer thread) to `receive`; returns MB/s.
double Transfer(const Move& send, const Move& receive, std::size_t total = kTotal) {
    std::vector<BYTE> out(kChunk);
    for (std::size_t i = 0; i < kChunk; ++i) {
        out[i] = static_cast<BYTE>(i);  // every byte value, as binary data has
    }
    std::vector<BYTE> in(kChunk);
    const Clock::time_point start = Clock::now();
    std::thread writer([&] {
        for (std::size_t sent = 0; sent < total;) {
            const long n = send(out.data(), std::min(kChunk, total - sent));
            if (n <= 0) {
                bench::Abort("a write failed");
            }
            sent += static_cast<std::size_t>(n);
        }
    });
    for (std::size_t received = 0; received < total;) {
        // A port's read gives nothing only after a second without a byte.
        const long n = receive(in.data(), kChunk);
        if (n <= 0) {
            bench::Abort("a read failed or the transfer stalled");
        }
        received += static_cast<std::size_t>(n);
    }
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    writer.join();
    return static_cast<double>(total) / elapsed.count() / 1e6;
}

long BareWrite(int fd, const BYTE* data, std::size_t count) {
    return static_cast<long>(write(fd, data, count));
}
long BareRead(int fd, BYTE* data, std::size_t count) {
    return static_cast<long>(read(fd, data, count));
}

double Baseline(Mode mode) {
    const bench::PseudoTerminal pair;
    const int device = pair.OpenDeviceRaw();
    const int master = pair.master();
    const Move toMaster = [device](BYTE* d, std::size_t n) { return BareWrite(device, d, n); };
    const Move fromMaster = [master](BYTE* d, std::size_t n) { return BareRead(master, d, n); };
    const Move toDevice = [master](BYTE* d, std::size_t n) { return BareWrite(master, d, n); };
    const Move fromDevice = [device](BYTE* d, std::size_t n) { return BareRead(device, d, n); };
    const Move byteFromDevice = [device](BYTE* d, std::size_t) { return BareRead(device, d, 1); };
    const double rate = mode == Mode::kToMaster ? Transfer(toMaster, fromMaster)
                        : mode == Mode::kFromMaster
                            ? Transfer(toDevice, fromDevice)
                            : Transfer(toDevice, byteFromDevice, kTerminalTotal);
    close(device);
    return rate;
}

double ThroughPort(Mode mode) {
    const bench::PseudoTerminal pair;
    bench::UsePortMap("COM11 " + pair.devicePath() + "\n");
    const HANDLE port =
        bench::OpenPort("COM11:", 115200, mode == Mode::kTerminal ? kReturnAtOnce : kFirstByte);
    const int master = pair.master();
    const Move portWrites = [port](BYTE* d, std::size_t n) {
        DWORD written = 0;
        return WriteFile(port, d, static_cast<DWORD>(n), &written) ? long{written} : -1L;
    };
    const Move portReads = [port](BYTE* d, std::size_t n) {
        DWORD got = 0;
        return ReadFile(port, d, static_cast<DWORD>(n), &got) ? long{got} : -1L;
    };
    // As the terminal's reader: wait for the receive event, then take a byte per call until
    // a read gives nothing. An event may stand for bytes an earlier read took already.
    const Move terminalReads = [port](BYTE* d, std::size_t) {
        long taken = 0;
        while (taken == 0) {
            DWORD events = 0;
            if (!WaitCommEvent(port, &events, nullptr)) {
                return -1L;
            }
            for (DWORD got = 1; got == 1; taken += got) {
                if (!ReadFile(port, d, 1, &got)) {
                    return -1L;
                }
            }
        }
        return taken;
    };
    const Move masterWrites = [master](BYTE* d, std::size_t n) { return BareWrite(master, d, n); };
    const Move masterReads = [master](BYTE* d, std::size_t n) { return BareRead(master, d, n); };
    double rate = 0;
    if (mode == Mode::kToMaster) {
        rate = Transfer(portWrites, masterReads);
    } else if (mode == Mode::kFromMaster) {
        rate = Transfer(masterWrites, portReads);
    } else {
        SetCommMask(port, EV_RXCHAR);
        rate = Transfer(masterWrites, terminalReads, kTerminalTotal);
    }
    CloseHandle(port);
    return rate;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The ratio is the median of each round's ratio: a round's two transfers run back to back,
// so a slow spell of the machine hits both and cancels out.
bench::Row Direction(Mode mode) {
    const int rounds = mode == Mode::kTerminal ? kTerminalRounds : kRounds;
    std::vector<double> bare;
    std::vector<double> ours;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        bare.push_back(Baseline(mode));
        ours.push_back(ThroughPort(mode));
        ratios.push_back(ours.back() / bare.back());
    }
    const char* measured = mode == Mode::kToMaster     ? "port -> master (WriteFile)"
                           : mode == Mode::kFromMaster ? "master -> port (ReadFile)"
                                                       : "master -> port, terminal reads";
    return {measured, bench::Format("%.2f MB/s", Median(ours)),
            bench::Format("%.2f MB/s", Median(bare)), Median(ratios), bench::AtLeast(0.9)};
}

void Run() {
    const std::vector<bench::Row> rows = {Direction(Mode::kToMaster), Direction(Mode::kFromMaster),
                                          Direction(Mode::kTerminal)};
    bench::PrintTable(
        bench::Format("Transfer over a pseudo-terminal pair: %zu MiB in %zu-byte chunks, median "
                      "of %d paired rounds; terminal reads: %zu KiB a byte per ReadFile after "
                      "each WaitCommEvent, %d rounds; baseline: bare raw pair (one-byte reads "
                      "for the terminal)",
                      kTotal >> 20, kChunk, kRounds, kTerminalTotal >> 10, kTerminalRounds),
        rows);
}

}  // namespace
}  // namespace serial

int main() {
    serial::Run();
    return 0;
}
