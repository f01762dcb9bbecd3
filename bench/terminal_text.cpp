#include "bench/terminal_text.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "bench/bench_setup.h"

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kChunk = 4096;
constexpr auto kStep = std::chrono::milliseconds(1);

void WriteAll(int fd, const unsigned char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t n = write(fd, data, count);
        if (n <= 0) {
            Abort("a write to the pseudo-terminal failed");
        }
        data += n;
        count -= static_cast<std::size_t>(n);
    }
}

}  // namespace

Bytes TerminalText(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> length(0, 120);
    std::uniform_int_distribution<int> printable(0x20, 0x7E);
    Bytes text;
    text.reserve(size);
    while (text.size() < size) {
        for (int n = length(random); n > 0 && text.size() < size - 1; --n) {
            text.push_back(static_cast<unsigned char>(printable(random)));
        }
        text.push_back('\n');
    }
    return text;
}

Feeder::Feeder(int fd, const Bytes& data, double bytesPerSecond, std::function<void()> tick)
    : thread_([this, fd, &data, bytesPerSecond, tick = std::move(tick)] {
          Run(fd, data, bytesPerSecond, tick);
      }) {}

Feeder::~Feeder() {
    if (thread_.joinable()) {
        Finish();
    }
}

double Feeder::Finish() {
    finish_ = true;
    thread_.join();
    return cpuSeconds_;
}

void Feeder::Run(int fd, const Bytes& data, double bytesPerSecond,
                 const std::function<void()>& tick) {
    const double cpuStart = ThreadCpuSeconds();
    const Clock::time_point start = Clock::now();
    Clock::time_point next = start;
    for (std::size_t sent = 0; sent < data.size();) {
        std::size_t due = data.size();
        if (bytesPerSecond > 0) {
            next += kStep;
            std::this_thread::sleep_until(next);
            const std::chrono::duration<double> elapsed = Clock::now() - start;
            due = std::min(due, static_cast<std::size_t>(elapsed.count() * bytesPerSecond));
        }
        while (sent < due) {
            const std::size_t n = std::min(kChunk, due - sent);
            WriteAll(fd, data.data() + sent, n);
            sent += n;
        }
    }
    while (!finish_) {
        if (tick) {
            tick();
        }
        std::this_thread::sleep_for(kStep);
    }
    cpuSeconds_ = ThreadCpuSeconds() - cpuStart;
}

}  // namespace bench
