#include "bench/terminal_window.h"

#include <stdlib.h>

#include <atomic>
#include <cwchar>
#include <iterator>
#include <mutex>
#include <thread>

#include "bench/bench_setup.h"
#include "device/connection/device_state.h"
#include "device/connection/port_connection.h"
#include "device/window/app_shell.h"
#include "device/window/terminal_screen.h"
#include "platform/main_window.h"
#include "platform/ui_app.h"

namespace bench {

void StartTerminalWindow() {
    static int argc = 1;
    static char name[] = "termivo-bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!ui::StartUi(argc, argv, "termivo-bench", "")) {
        Abort("cannot start the user interface on the offscreen platform");
    }
    device::ResetDeviceState();
    if (!device::InitInstance(device::AppOptions{}) || !device::CreateScreen()) {
        Abort("cannot open termivo's main window");
    }
}

void EndTerminalWindow() {
    ui::DestroyMainWindow();
    ui::EndUi();
}

void ConnectTerminal(const std::string& target) {
    UsePortMap("COM11 " + target + "\n");
    device::PortSettings& settings = device::deviceState.portSettings;
    std::swprintf(settings.portName, std::size(settings.portName), L"COM11");
    settings.dcb.BaudRate = 115200;
    device::deviceState.stopReader = false;
    device::Connect();
    if (device::deviceState.portHandle == serial::INVALID_HANDLE_VALUE) {
        Abort("termivo cannot connect to " + target);
    }
}

void DisconnectTerminal() {
    device::Disconnect();
    ServeEventsUntil([] { return device::deviceState.readerThreads == 0; });
}

void ServeEventsUntil(const std::function<bool()>& done) {
    ui::ServeEventsUntil(done);
}

ScreenPicture CurrentScreen() {
    std::lock_guard lock(device::deviceState.screenLock);
    ScreenPicture picture;
    picture.rows = device::ScreenRowsText();
    picture.cursorRow = device::terminalScreen.cursorRow;
    picture.cursorCol = device::terminalScreen.cursorCol;
    return picture;
}

void ClearTerminalScreen() {
    device::ClearScreen();
}

ScreenPicture ScreenLeftBy(const std::vector<unsigned char>& text) {
    ClearTerminalScreen();
    std::atomic<bool> fed = false;
    std::thread feeder([&] {
        for (const unsigned char byte : text) {
            device::PutScreenChar(byte);
        }
        fed = true;
        ui::WakeUi();
    });
    ServeEventsUntil([&] { return fed.load(); });
    feeder.join();
    ScreenPicture picture = CurrentScreen();
    ClearTerminalScreen();
    return picture;
}

}  // namespace bench
