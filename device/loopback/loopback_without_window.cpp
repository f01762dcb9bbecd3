#include "device/loopback/loopback_without_window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>

#include "device/connection/device_state.h"
#include "device/loopback/loopback_test.h"
#include "device/utf8_text.h"
#include "platform/kernel.h"

namespace device {

namespace {

std::mutex outputLock;

void NoClear() {}

// One line a report, whole, in the order the reports come.
void PrintLine(const char16_t* text, int /*row*/) {
    const std::string line = ToUtf8(text);
    std::lock_guard guard(outputLock);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Once the run's threads have ended.
bool EveryPassSucceeded(const LoopbackRun& run) {
    bool ok = run.unopened == 0;
    for (int i = 0; i < run.portCount; ++i) {
        const int port = run.firstPort + i;
        const LoopbackPortSlot& slot = deviceState.loopSlots[port == 10 ? 0 : port];
        const bool complete =
            run.passLimit > 0 ? slot.reported == run.passLimit : slot.reported > 0;
        if (slot.errorCount > 0 || !complete) {
            ok = false;
        }
    }
    return ok;
}

}  // namespace

int RunLoopbackWithoutWindow(const LoopbackOptions& options) {
    DeviceState& s = deviceState;
    LoopbackRun& run = s.loopRun;
    s.loopFirstPort = options.firstPort;
    s.loopPortCount = options.portCount;
    s.packageSize = static_cast<std::uint32_t>(options.packageSize);
    s.portSettings.dcb.BaudRate = static_cast<serial::DWORD>(options.baudRate);
    run.passLimit = options.passes;
    run.clearOutput = NoClear;
    run.writeLine = PrintLine;
    if (!StartLoopback()) {
        return kLoopbackFailed;
    }
    // Wakes only when the run ends, at the time limit, or at the next look for a stall.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = options.seconds > 0
                                      ? Clock::now() + std::chrono::seconds(options.seconds)
                                      : Clock::time_point::max();
    const auto stallTime = std::chrono::seconds(kStallSeconds);
    Clock::time_point nextLook = Clock::now() + stallTime;
    int passesSeen = run.passes;
    bool stalled = false;
    for (;;) {
        const Clock::time_point wakeAt = std::min(end, nextLook);
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(wakeAt - Clock::now()).count();
        if (kernel::WaitForEvent(run.ended,
                                 static_cast<std::uint32_t>(std::max<long long>(wait, 0))) == 0 ||
            Clock::now() >= end) {
            break;
        }
        if (Clock::now() >= nextLook) {
            if (run.passes == passesSeen) {
                stalled = true;
                break;
            }
            passesSeen = run.passes;
            nextLook = Clock::now() + stallTime;
        }
    }
    StopLoopback();
    const bool passed = EveryPassSucceeded(run) && !stalled;
    if (stalled) {
        std::fprintf(stderr,
                     "termivo: no pass ended in %d s; the test was stopped (is flow control "
                     "holding the writes back?)\n",
                     kStallSeconds);
    }
    return passed ? kLoopbackAllPassed : kLoopbackFailed;
}

}  // namespace device
