// The terminal's CPU cost at a line rate and at rest. Text paced at 1382400 baud (the fastest
// rate the terminal offers, 138240 bytes a second) flows over a pseudo-terminal pair to
// termivo's screen, and to picocom on the same kind of pair, each for a few seconds: the CPU
// share of a core each uses, set side by side (the thread that feeds the pair is not counted),
// and the screen checked at the end. Then termivo connected to a port that receives nothing,
// a pseudo-terminal and a virtual loopback plug: the CPU share of the whole program, window
// included, against one core.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_setup.h"
#include "bench/picocom_run.h"
#include "bench/terminal_text.h"
#include "bench/terminal_window.h"
#include "platform/ui_app.h"

namespace bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kBytesPerSecond = 1382400 / 10.0;
constexpr double kPacedSeconds = 4;
constexpr int kRounds = 3;
constexpr auto kIdle = 3s;
// Before an idle span: the reader reaches its wait, the lamps are painted, the threads of the
// connection before have ended, and the window has done what a Connect leaves it to do (the
// user-interface thread keeps busy for up to a second after one).
constexpr auto kSettle = 1500ms;

struct Share {
    double cpuSeconds = 0;
    double seconds = 0;
    double uiCpuSeconds = 0;  // of cpuSeconds, what termivo's user-interface thread used

    double OfCore() const { return cpuSeconds / seconds; }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Share Termivo(const Bytes& text, const ScreenPicture& expected) {
    const PseudoTerminal pair;
    ConnectTerminal(pair.devicePath());
    const double cpuBefore = ProcessCpuSeconds();
    const double uiCpuBefore = ThreadCpuSeconds();
    const Clock::time_point start = Clock::now();
    Feeder feeder(pair.master(), text, kBytesPerSecond, ui::WakeUi);
    ServeEventsUntil([&] { return CurrentScreen() == expected; });
    Share share;
    share.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    share.uiCpuSeconds = ThreadCpuSeconds() - uiCpuBefore;
    const double feederCpu = feeder.Finish();
    share.cpuSeconds = ProcessCpuSeconds() - cpuBefore - feederCpu;
    DisconnectTerminal();
    ClearTerminalScreen();
    return share;
}

Share Picocom(const Bytes& text) {
    const PseudoTerminal pair;
    PicocomRun picocom(pair.devicePath());
    const double cpuBefore = picocom.CpuSeconds();
    const Clock::time_point start = Clock::now();
    Feeder feeder(pair.master(), text, kBytesPerSecond, nullptr);
    if (!picocom.Receive(text)) {
        Abort("picocom's output differs from what was sent");
    }
    Share share;
    share.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    share.cpuSeconds = picocom.CpuSeconds() - cpuBefore;
    feeder.Finish();
    return share;
}

// termivo connected to `target`, serving events while nothing arrives. A timer thread,
// started before the measured span, wakes this thread when all has settled and when the span
// is over.
Share Idle(const std::string& target) {
    ConnectTerminal(target);
    std::atomic<bool> settled = false;
    std::atomic<bool> over = false;
    const Clock::time_point settledAt = Clock::now() + kSettle;
    std::thread timer([&] {
        std::this_thread::sleep_until(settledAt);
        settled = true;
        ui::WakeUi();
        std::this_thread::sleep_until(settledAt + kIdle);
        over = true;
        ui::WakeUi();
    });
    ServeEventsUntil([&] { return settled.load(); });
    const double cpuBefore = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    ServeEventsUntil([&] { return over.load(); });
    Share share;
    share.cpuSeconds = ProcessCpuSeconds() - cpuBefore;
    share.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    timer.join();
    DisconnectTerminal();
    return share;
}

std::string Percent(double share) {
    return Format("%.3f %% of a core", share * 100);
}

Row IdleRow(const char* measured, const Share& share) {
    return {measured, Format("%.4f %% (%.2f ms CPU)", share.OfCore() * 100, share.cpuSeconds * 1e3),
            Format("100 %% (%.1f s)", share.seconds), share.OfCore(), Below(0.001)};
}

void Run() {
    const bool withPicocom = PicocomInstalled();
    const Bytes text = TerminalText(static_cast<std::size_t>(kBytesPerSecond * kPacedSeconds), 11);
    StartTerminalWindow();
    const ScreenPicture expected = ScreenLeftBy(text);
    std::vector<double> ours;
    std::vector<double> oursUi;
    std::vector<double> picocom;
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
        const Share share = Termivo(text, expected);
        ours.push_back(share.OfCore());
        oursUi.push_back(share.uiCpuSeconds / share.seconds);
        if (withPicocom) {
            picocom.push_back(Picocom(text).OfCore());
            ratios.push_back(ours.back() / picocom.back());
        }
    }
    const Share idleLoopback = Idle("loopback");
    const Share idlePty = [] {
        const PseudoTerminal pair;
        return Idle(pair.devicePath());
    }();
    EndTerminalWindow();

    std::vector<Row> rows;
    if (withPicocom) {
        rows.push_back({"paced 1382400 baud: termivo / picocom CPU", Percent(Median(ours)),
                        Percent(Median(picocom)), Median(ratios), AtMost(1.0)});
    } else {
        rows.push_back({"paced 1382400 baud: termivo CPU", Percent(Median(ours)),
                        "picocom not installed", 0, NoGoal()});
    }
    const double ui = Median(oursUi);
    rows.push_back({"paced: termivo user-interface thread / rest", Percent(ui),
                    Percent(Median(ours) - ui), ui / (Median(ours) - ui), NoGoal()});
    rows.push_back(IdleRow("idle, connected to a pseudo-terminal", idlePty));
    rows.push_back(IdleRow("idle, connected to a loopback plug", idleLoopback));
    PrintTable(Format("Terminal CPU: text paced at 1382400 baud for %.0f s, median of %d rounds "
                      "(baseline: picocom on the same kind of pair); idle for %lld s with a port "
                      "connected (baseline: one core)",
                      kPacedSeconds, kRounds, static_cast<long long>(kIdle.count())),
               rows);
}

}  // namespace
}  // namespace bench

int main() {
    bench::Run();
    return 0;
}
