#include "device/connection/port_connection.h"

#include <cstdio>
#include <cwchar>
#include <string>

#include "device/connection/device_state.h"
#include "device/connection/reader_thread.h"
#include "device/connection/serial_api.h"
#include "device/resource_ids.h"
#include "device/utf8_text.h"
#include "device/window/app_shell.h"
#include "platform/kernel.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "platform/terminal_view.h"
#include "platform/ui_app.h"

namespace device {

using namespace serial;

namespace {

// Reads return at once with what has arrived; writes never time out.
constexpr COMMTIMEOUTS kTerminalTimeouts{MAXDWORD, 0, 0, 0, 0};

void SendLineChange(int boxId, DWORD on, DWORD off) {
    EscapeCommFunction(deviceState.portHandle, ui::IsChecked(boxId) ? on : off);
    ui::FocusTerminalView();
}

}  // namespace

bool OpenPort() {
    DeviceState& s = deviceState;
    wchar_t name[32];
    if (std::swprintf(name, 32, L"%ls:", s.portSettings.portName) < 0) {
        kernel::DebugPrint("port name %s is too long\n",
                           WideToAscii(deviceState.portSettings.portName).c_str());
        return false;
    }
    const HANDLE port =
        CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, 0);
    s.portHandle = port;
    if (port == INVALID_HANDLE_VALUE) {
        return false;
    }
    kernel::DebugPrint("Baud %d\n", static_cast<int>(s.portSettings.dcb.BaudRate));
    if (!SetCommState(port, &s.portSettings.dcb)) {
        CloseHandle(port);
        s.portHandle = INVALID_HANDLE_VALUE;
        return false;
    }
    COMMTIMEOUTS timeouts;
    GetCommTimeouts(port, &timeouts);
    timeouts = kTerminalTimeouts;
    SetCommTimeouts(port, &timeouts);

    // Armed before the reader starts, so that no line event between now and its first wait
    // is lost (DTR and RTS go up next).
    SetCommMask(port, kReaderEventMask);
    ++s.readerThreads;
    if (!kernel::StartDetachedThread([port] { ReaderThread(port); })) {
        --s.readerThreads;
    }
    EscapeCommFunction(port, SETDTR);
    EscapeCommFunction(port, SETRTS);
    RefreshLamps(port);
    return true;
}

void RefreshLamps(HANDLE port) {
    if (port == INVALID_HANDLE_VALUE || port != deviceState.portHandle) {
        return;
    }
    DWORD status = 0;
    if (!GetCommModemStatus(port, &status)) {
        status = 0;
    }
    ui::SetCheck(kIdDsrLamp, (status & MS_DSR_ON) != 0);
    ui::SetCheck(kIdCtsLamp, (status & MS_CTS_ON) != 0);
    ui::SetCheck(kIdDcdLamp, (status & MS_RLSD_ON) != 0);
    ui::SetCheck(kIdRingLamp, (status & MS_RING_ON) != 0);
    ui::SetCheck(kIdDtr, true);
    ui::SetCheck(kIdRts, true);
}

void Connect() {
    if (deviceState.portHandle != INVALID_HANDLE_VALUE) {
        return;
    }
    if (OpenPort()) {
        SetConnectMenu(false);
        return;
    }
    char text[100];
    std::snprintf(text, sizeof text, "Unable to open device %s.",
                  WideToAscii(deviceState.portSettings.portName).c_str());
    ui::MessageBox(text, "Error");
}

void Disconnect() {
    const HANDLE port = deviceState.portHandle;
    if (port == INVALID_HANDLE_VALUE) {
        return;
    }
    CloseHandle(port);
    SetConnectMenu(true);
    deviceState.portHandle = INVALID_HANDLE_VALUE;
}

void DtrChange() {
    SendLineChange(kIdDtr, SETDTR, CLRDTR);
}

void RtsChange() {
    SendLineChange(kIdRts, SETRTS, CLRRTS);
}

void NoReadChange() {
    deviceState.noRead = ui::IsChecked(kIdNoRead);
    ui::FocusTerminalView();
}

void SetBreak() {
    const HANDLE port = deviceState.portHandle;
    if (port != INVALID_HANDLE_VALUE && !SetCommBreak(port)) {
        ui::MessageBox("Unable to Set Break", "Error");
    }
}

void ClearBreak() {
    const HANDLE port = deviceState.portHandle;
    if (port != INVALID_HANDLE_VALUE && !ClearCommBreak(port)) {
        ui::MessageBox("Unable to Clear Break", "Error");
    }
}

void ShutdownConnection() {
    DeviceState& s = deviceState;
    const HANDLE port = s.portHandle;
    if (port != INVALID_HANDLE_VALUE) {
        s.stopReader = true;
        SetCommMask(port, 0);
        CloseHandle(port);
        s.portHandle = INVALID_HANDLE_VALUE;
    }
    // A sender repeating its writes stops after the one under way, which the close ends.
    s.cancelFlag = true;
    // A reader or sender waiting on a box would hold the end up until someone dismissed it;
    // nobody is left to read it now.
    ui::EndWorkerBoxes();
    ui::ServeEventsUntil(
        [] { return deviceState.readerThreads == 0 && deviceState.senderThreads == 0; });
}

}  // namespace device
