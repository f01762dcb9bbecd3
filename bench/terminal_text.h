// Data for a terminal benchmark to show, and a thread that writes it into a pseudo-terminal's
// master end, as fast as the pair takes it or paced at a line rate.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

namespace bench {

using Bytes = std::vector<unsigned char>;

// `size` bytes of printable runs of random length (0 to 120), each ended by a bare line feed,
// as a host sends text without output processing. Without carriage returns the cursor's column
// carries the count of every printable byte to the end, so a byte lost or added anywhere shows
// in the final screen.
Bytes TerminalText(std::size_t size, unsigned seed);

// Writes `data` to `fd` on a thread of its own: whole 4 KiB chunks as fast as they are taken
// when `bytesPerSecond` is 0, otherwise in millisecond steps at that rate. Once everything is
// written it calls `tick` (when given) every millisecond until Finish, so that a thread waiting
// for the data's arrival gets to look again.
class Feeder {
  public:
    Feeder(int fd, const Bytes& data, double bytesPerSecond, std::function<void()> tick);
    ~Feeder();
    Feeder(const Feeder&) = delete;
    Feeder& operator=(const Feeder&) = delete;

    // Ends the thread; returns the CPU seconds it used, which belong to no receiver.
    double Finish();

  private:
    void Run(int fd, const Bytes& data, double bytesPerSecond, const std::function<void()>& tick);

    std::atomic<bool> finish_{false};
    double cpuSeconds_ = 0;
    std::thread thread_;
};

}  // namespace bench
