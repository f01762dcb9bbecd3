// termivo: terminal and port tester for multiport serial boards.
#include <cstdio>

#include "device/connection/device_state.h"
#include "device/inventory/port_inventory.h"
#include "device/utf8_text.h"
#include "device/window/app_shell.h"
#include "device/window/command_line.h"
#include "platform/ui_app.h"

namespace {

constexpr int kExitBadOptions = 2;

}  // namespace

int main(int argc, char** argv) {
    device::CommandLine line;
    std::string problem;
    if (!device::ParseCommandLine(argc, argv, &line, &problem)) {
        std::fprintf(stderr, "termivo: %s\n%s", problem.c_str(), device::kUsage);
        return kExitBadOptions;
    }
    if (line.mode == device::RunMode::kHelp) {
        std::fputs(device::kUsage, stdout);
        return device::kExitNormal;
    }
    device::ResetDeviceState();
    if (line.mode == device::RunMode::kLoopback) {
        return device::RunLoopbackWithoutWindow(line.loopback);
    }
    if (line.mode == device::RunMode::kPortInfo) {
        device::RefreshRegistryView();
        for (const std::u16string& text : device::ActivePortLines()) {
            std::string utf8 = device::ToUtf8(text);
            utf8.erase(utf8.find_last_not_of(' ') + 1);
            std::printf("%s\n", utf8.c_str());
        }
        return device::kExitNormal;
    }
    if (!ui::StartUi(argc, argv, "termivo",
                     "Without a window: termivo --loopback runs the loopback test, termivo "
                     "--port-info lists the ports.\n")) {
        return device::kExitStartFailed;
    }
    const int status = device::AppMain(line.app);
    ui::EndUi();
    return status;
}
