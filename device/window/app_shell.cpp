#include "device/window/app_shell.h"

#include "device/connection/device_state.h"
#include "device/connection/port_connection.h"
#include "device/connection/send_data.h"
#include "device/inventory/port_inventory.h"
#include "device/loopback/loopback_settings_dialog.h"
#include "device/loopback/loopback_test.h"
#include "device/resource_ids.h"
#include "device/window/communications_dialog.h"
#include "device/window/main_window_resources.h"
#include "device/window/snapshot.h"
#include "device/window/terminal_screen.h"
#include "device/window/terminal_view_procedure.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "platform/terminal_view.h"
#include "platform/ui_app.h"

namespace device {

namespace {

constexpr char kAboutText[] =
    "termivo " KIT_VERSION "\nTerminal and port tester for multiport serial boards";

// The window is going away: end the connection, keep the picture when asked, end the loop.
void MainWindowDestroyed(const AppOptions& options) {
    ShutdownConnection();
    StopLoopback();
    if (!options.snapshotPrefix.empty()) {
        WriteSnapshot(options.snapshotPrefix);
    }
    ui::QuitEventLoop(0);
}

}  // namespace

bool InitInstance(const AppOptions& options) {
    ui::MainWindowHandlers handlers;
    handlers.command = MainWindowCommand;
    handlers.destroyed = [options] { MainWindowDestroyed(options); };
    if (!ui::CreateMainWindow(MainWindowResources(), std::move(handlers)) ||
        !ui::CreateTerminalView(TerminalViewProcedure())) {
        return false;
    }
    deviceState.portSettings.dcb = StartupDcb();
    // The window opens just large enough for the whole grid.
    const ui::CellMetrics cell = ui::TerminalCellMetrics();
    ui::ShowMainWindow(80 * cell.width, 25 * cell.height);
    SetConnectMenu(true);
    SetLoopbackMenu(true);
    ui::FocusTerminalView();
    return true;
}

int AppMain(const AppOptions& options) {
    if (!InitInstance(options)) {
        ui::MessageBox("Failed to initialize.", "Error");
        return kExitStartFailed;
    }
    if (!CreateScreen()) {
        ui::MessageBox("Failed to create terminal screen.", "Error");
        return kExitStartFailed;
    }
    ui::RunEventLoop();
    return kExitNormal;
}

void SetConnectMenu(bool idle) {
    ui::EnableMenuItem(kIdConnect, idle);
    ui::EnableMenuItem(kIdDisconnect, !idle);
}

void SetLoopbackMenu(bool idle) {
    ui::EnableMenuItem(kIdLoopbackStart, idle);
    ui::EnableMenuItem(kIdLoopbackStop, !idle);
}

void MainWindowCommand(int id) {
    switch (id) {
        case kIdDtr:
            DtrChange();
            break;
        case kIdRts:
            RtsChange();
            break;
        case kIdDsrLamp:
        case kIdCtsLamp:
        case kIdDcdLamp:
        case kIdRingLamp:
            ui::FocusTerminalView();
            break;
        case kIdNoRead:
            NoReadChange();
            break;
        case kIdExit:
            ui::DestroyMainWindow();
            break;
        case kIdClearBuffer:
            ClearScreen();
            break;
        case kIdAbout:
            ui::MessageBox(kAboutText, "About...");
            break;
        case kIdConnect:
            Connect();
            break;
        case kIdDisconnect:
            Disconnect();
            break;
        case kIdSetBreak:
            SetBreak();
            break;
        case kIdClearBreak:
            ClearBreak();
            break;
        case kIdPortInfo:
            ListActivePorts();
            break;
        case kIdSettings:
            CommunicationsDialog();
            break;
        case kIdSendData:
            SendDataCommand();
            break;
        case kIdLoopbackSettings:
            LoopbackSettingsDialog();
            break;
        case kIdLoopbackStart:
            LoopbackStartCommand();
            break;
        case kIdLoopbackStop:
            LoopbackStopCommand();
            break;
        default:
            break;
    }
}

}  // namespace device
