// Terminal ingest: a pseudo-terminal flooded with text reaches termivo's screen through the
// real path (the port's reader thread, one byte per ReadFile, PutScreenChar, the repaint marks
// of an offscreen window), set against a bare read loop on the same kind of pair and against
// picocom draining into a terminal of its own, in the same run. Each figure is the median of a
// few rounds in which the three take turns on fresh pairs. CPU is what the receiving side used:
// termivo's threads, the bare loop, picocom; the thread that feeds the pair is not counted.
// The screen must end as the text leaves it when fed straight to PutScreenChar, so that a
// byte lost or added on the way makes the run fail instead of looking fast.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_setup.h"
#include "bench/picocom_run.h"
#include "bench/terminal_text.h"
#include "bench/terminal_window.h"
#include "platform/ui_app.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kTextSize = std::size_t{4} << 20;
constexpr int kRounds = 5;
// Ten times the fastest line rate the terminal offers (1382400 baud, ten bits a byte).
constexpr double kFloorMBps = 1.4;

struct Figures {
    double seconds = 0;
    double cpuSeconds = 0;
    double uiCpuSeconds = 0;  // of cpuSeconds, what termivo's user-interface thread used
};

double MBps(const Figures& f) {
    return static_cast<double>(kTextSize) / f.seconds / 1e6;
}

double MsPerMiB(double cpuSeconds) {
    return cpuSeconds * 1e3 / (static_cast<double>(kTextSize) / (1 << 20));
}

double CpuMsPerMiB(const Figures& f) {
    return MsPerMiB(f.cpuSeconds);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The screen the text leaves, fed straight to the screen; the time it took is the screen's
// own share of the cost (paints included).
ScreenPicture ScreenAlone(const Bytes& text, Figures* figures) {
    const double cpuBefore = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    ScreenPicture picture = ScreenLeftBy(text);
    figures->seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures->cpuSeconds = ProcessCpuSeconds() - cpuBefore;
    return picture;
}

Figures Bare(const Bytes& text) {
    const PseudoTerminal pair;
    const int device = pair.OpenDeviceRaw();
    const double cpuBefore = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    Feeder feeder(pair.master(), text, 0, nullptr);
    std::vector<unsigned char> buffer(4096);
    for (std::size_t received = 0; received < text.size();) {
        const ssize_t n = read(device, buffer.data(), buffer.size());
        if (n <= 0) {
            Abort("the bare read loop failed");
        }
        received += static_cast<std::size_t>(n);
    }
    Figures f;
    f.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double feederCpu = feeder.Finish();
    f.cpuSeconds = ProcessCpuSeconds() - cpuBefore - feederCpu;
    close(device);
    return f;
}

Figures Termivo(const Bytes& text, const ScreenPicture& expected) {
    const PseudoTerminal pair;
    ConnectTerminal(pair.devicePath());
    const double cpuBefore = ProcessCpuSeconds();
    const double uiCpuBefore = ThreadCpuSeconds();
    const Clock::time_point start = Clock::now();
    Feeder feeder(pair.master(), text, 0, ui::WakeUi);
    ServeEventsUntil([&] { return CurrentScreen() == expected; });
    Figures f;
    f.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    f.uiCpuSeconds = ThreadCpuSeconds() - uiCpuBefore;
    const double feederCpu = feeder.Finish();
    f.cpuSeconds = ProcessCpuSeconds() - cpuBefore - feederCpu;
    DisconnectTerminal();
    ClearTerminalScreen();
    return f;
}

Figures Picocom(const Bytes& text) {
    const PseudoTerminal pair;
    PicocomRun picocom(pair.devicePath());
    const double cpuBefore = picocom.CpuSeconds();
    const Clock::time_point start = Clock::now();
    Feeder feeder(pair.master(), text, 0, nullptr);
    if (!picocom.Receive(text)) {
        Abort("picocom's output differs from what was sent");
    }
    Figures f;
    f.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    f.cpuSeconds = picocom.CpuSeconds() - cpuBefore;
    feeder.Finish();
    return f;
}

struct Medians {
    double mbps = 0;
    double cpuMsPerMiB = 0;
    double uiCpuMsPerMiB = 0;
};

Medians MediansOf(const std::vector<Figures>& rounds) {
    std::vector<double> rates;
    std::vector<double> cpu;
    std::vector<double> uiCpu;
    for (const Figures& f : rounds) {
        rates.push_back(MBps(f));
        cpu.push_back(CpuMsPerMiB(f));
        uiCpu.push_back(MsPerMiB(f.uiCpuSeconds));
    }
    return {Median(rates), Median(cpu), Median(uiCpu)};
}

std::string RateText(const Medians& m) {
    return Format("%.2f MB/s", m.mbps);
}

std::string CpuText(const Medians& m) {
    return Format("%.1f ms/MiB", m.cpuMsPerMiB);
}

void Run() {
    const bool withPicocom = PicocomInstalled();
    const Bytes text = TerminalText(kTextSize, 7);
    StartTerminalWindow();
    Figures alone;
    const ScreenPicture expected = ScreenAlone(text, &alone);
    std::vector<Figures> bare;
    std::vector<Figures> ours;
    std::vector<Figures> picocom;
    // Per round, so that a slow spell of the machine hits both sides of a ratio alike.
    std::vector<double> toBare;
    std::vector<double> toPicocomRate;
    std::vector<double> toPicocomCpu;
    for (int round = 0; round < kRounds; ++round) {
        bare.push_back(Bare(text));
        ours.push_back(Termivo(text, expected));
        toBare.push_back(MBps(ours.back()) / MBps(bare.back()));
        if (withPicocom) {
            picocom.push_back(Picocom(text));
            toPicocomRate.push_back(MBps(ours.back()) / MBps(picocom.back()));
            toPicocomCpu.push_back(CpuMsPerMiB(ours.back()) / CpuMsPerMiB(picocom.back()));
        }
    }
    EndTerminalWindow();

    const Medians b = MediansOf(bare);
    const Medians o = MediansOf(ours);
    const Medians a = MediansOf({alone});
    std::vector<Row> rows = {
        {"screen alone (PutScreenChar) / bare loop", RateText(a) + ", " + CpuText(a),
         RateText(b) + ", " + CpuText(b), a.mbps / b.mbps, NoGoal()},
        {"termivo / bare read loop, rate", RateText(o) + ", " + CpuText(o),
         RateText(b) + ", " + CpuText(b), Median(toBare), NoGoal()},
        {"termivo CPU: user-interface thread / rest", Format("%.1f ms/MiB", o.uiCpuMsPerMiB),
         Format("%.1f ms/MiB", o.cpuMsPerMiB - o.uiCpuMsPerMiB),
         o.uiCpuMsPerMiB / (o.cpuMsPerMiB - o.uiCpuMsPerMiB), NoGoal()},
    };
    if (withPicocom) {
        const Medians p = MediansOf(picocom);
        rows.push_back({"picocom / bare read loop, rate", RateText(p) + ", " + CpuText(p),
                        RateText(b) + ", " + CpuText(b), p.mbps / b.mbps, NoGoal()});
        rows.push_back({"termivo / picocom, rate", RateText(o), RateText(p), Median(toPicocomRate),
                        AtLeast(1.0)});
        rows.push_back({"termivo / picocom, CPU per MiB", CpuText(o), CpuText(p),
                        Median(toPicocomCpu), AtMost(1.0)});
    }
    rows.push_back({"termivo / floor, rate", RateText(o), Format("%.2f MB/s", kFloorMBps),
                    o.mbps / kFloorMBps, AtLeast(1.0)});
    PrintTable(Format("Terminal ingest: %zu MiB of text lines over a pseudo-terminal pair to the "
                      "screen, median of %d rounds%s",
                      kTextSize >> 20, kRounds,
                      withPicocom ? "" : " (picocom is not installed: apt-get install picocom)"),
               rows);
}

}  // namespace
}  // namespace bench

int main() {
    bench::Run();
    return 0;
}
