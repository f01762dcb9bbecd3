#include "device/connection/reader_thread.h"

#include "device/connection/device_state.h"
#include "device/connection/port_connection.h"
#include "device/connection/serial_api.h"
#include "device/window/terminal_screen.h"
#include "platform/message_box.h"
#include "platform/ui_app.h"

namespace device {

using namespace serial;

namespace {

struct ErrorWord {
    DWORD bit;
    const char* word;
};

constexpr ErrorWord kErrorWords[] = {
    {CE_FRAME, "Framing,"},   {CE_RXPARITY, "Parity,"}, {CE_OVERRUN, "Overrun,"},
    {CE_RXOVER, "Overflow,"}, {CE_TXFULL, "TxFull,"},
};

// Reads until the driver's buffer is empty: with the terminal's time-outs a read returns at
// once, and only the byte count decides.
void ShowReceivedBytes(HANDLE port) {
    for (;;) {
        BYTE byte = 0;
        DWORD got = 0;
        ReadFile(port, &byte, 1, &got);
        if (got != 1) {
            return;
        }
        PutScreenChar(byte);
    }
}

}  // namespace

std::string LineErrorText(DWORD errors) {
    std::string text = "Error Event:";
    for (const ErrorWord& e : kErrorWords) {
        if ((errors & e.bit) != 0) {
            text += e.word;
        }
    }
    return text;
}

int ReaderThread(HANDLE port) {
    SetCommMask(port, kReaderEventMask);
    for (;;) {
        if (deviceState.stopReader) {
            break;
        }
        DWORD events = 0;
        if (!WaitCommEvent(port, &events)) {
            break;
        }
        SetCommMask(port, kReaderEventMask);
        if (!deviceState.noRead && (events & EV_RXCHAR) != 0) {
            ShowReceivedBytes(port);
        }
        if ((events & EV_BREAK) != 0) {
            ui::MessageBox("Break Event detected", "Error");
        } else if ((events & EV_ERR) != 0) {
            DWORD errors = 0;
            COMSTAT status;
            ClearCommError(port, &errors, &status);
            ui::MessageBox(LineErrorText(errors), "Error");
        }
        RefreshLamps(port);
    }
    // The last act: the shutdown may end the program once every reader has counted itself out.
    --deviceState.readerThreads;
    ui::WakeUi();
    return 0;
}

BOOL SendChar(unsigned code) {
    const BYTE byte = static_cast<BYTE>(code);
    DWORD written = 0;
    return WriteFile(deviceState.portHandle, &byte, 1, &written);
}

}  // namespace device
