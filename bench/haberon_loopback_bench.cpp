// haberon's run as its window drives it: sixteen paced virtual loopback ports at 115200 baud,
// 128 bytes out and back per port, one port after another, with the window's event queue
// served after every write, read and pass and the list refreshed once per pass. Exchanges per
// second are set against the line-rate limit: 128 bytes of 8N1 take 1280 bit times, so one
// port after another the line allows 115200 / 1280 = 90 exchanges a second.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "bench/bench_report.h"
#include "bench/bench_setup.h"
#include "desktop/frm_main.h"
#include "desktop/frm_main_layout.h"
#include "desktop/haberon_state.h"
#include "platform/dialog.h"
#include "platform/form.h"
#include "platform/ui_app.h"

namespace haberon {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kRun = 4s;
constexpr int kPorts = 16;
constexpr int kRatePosition = 10;  // 115200
constexpr double kRate = 115200;
constexpr double kBitsPerExchange = 128 * 10;

// Presses Stop at the first yield after `deadline`.
void StopAt(Clock::time_point deadline) {
    ui::PostToUi([deadline] {
        if (Clock::now() >= deadline) {
            cmdStop_Click();
        } else {
            StopAt(deadline);
        }
    });
}

long Column(int row, int column) {
    return std::stol(ui::GetListViewText(*state.frmMain, kLvResults, row, column));
}

bench::Row Measure() {
    std::string map;
    for (int port = 1; port <= kPorts; ++port) {
        map += "COM" + std::to_string(port) + " loopback paced\n";
    }
    bench::UsePortMap(map);
    if (!ShowFrmMain()) {
        bench::Abort("cannot build the window");
    }
    ui::Dialog& form = *state.frmMain;
    ui::SetItemText(form, kTxtLower, "1");
    ui::SetItemText(form, kTxtUpper, std::to_string(kPorts));
    ui::SelectListEntry(form, kCboRate, kRatePosition);

    const Clock::time_point start = Clock::now();
    StopAt(start + kRun);
    cmdGo_Click();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    long exchanges = 0;
    for (int row = 0; row < kPorts; ++row) {
        if (Column(row, kColumnSendFail) + Column(row, kColumnReceiveFail) +
                Column(row, kColumnCompFail) !=
            0) {
            bench::Abort("a loopback exchange failed");
        }
        exchanges += Column(row, kColumnReceived);
    }
    const double achieved = exchanges / seconds;
    const double lineLimit = kRate / kBitsPerExchange;
    return {bench::Format("%d ports, 128 B at 115200 baud, 8N1", kPorts),
            bench::Format("%.1f exchanges/s", achieved), bench::Format("%.1f /s", lineLimit),
            achieved / lineLimit, bench::AtLeast(0.9)};
}

void Run(int& argc, char** argv) {
    // An offscreen window, and a settings directory of its own so that nothing of the user's
    // is read.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char home[] = "/tmp/haberon-bench-XXXXXX";
    if (mkdtemp(home) == nullptr) {
        bench::Abort("cannot create a settings directory");
    }
    setenv("XDG_CONFIG_HOME", home, 1);
    if (!ui::StartUi(argc, argv, "bench_haberon_loopback", "")) {
        bench::Abort("cannot start the offscreen window");
    }
    const bench::Row row = Measure();
    ui::DestroyForm(*state.frmMain);
    state.frmMain = nullptr;
    ui::EndUi();
    std::filesystem::remove_all(home);
    bench::PrintTable(bench::Format("haberon's run in its window, exchanges per second over "
                                    "%lld s; baseline: the line-rate limit",
                                    static_cast<long long>(kRun.count())),
                      {row});
}

}  // namespace
}  // namespace haberon

int main(int argc, char** argv) {
    haberon::Run(argc, argv);
    return 0;
}
