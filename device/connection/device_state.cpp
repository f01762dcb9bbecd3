#include "device/connection/device_state.h"

#include "device/window/terminal_screen.h"

namespace device {

DeviceState deviceState;

void ResetDeviceState() {
    DeviceState& s = deviceState;
    s.portHandle = serial::INVALID_HANDLE_VALUE;
    s.portSettings = PortSettings{};
    s.portSettings.dcb = StartupDcb();
    s.stopReader = false;
    s.readerThreads = 0;
    s.noRead = false;
    s.packageSize = 1000;
    s.keepSending = false;
    s.cancelFlag = false;
    s.totalSent = 0;
    s.senderThreads = 0;
    s.loopFirstPort = 1;
    s.loopPortCount = 1;
    s.abortEvent.reset();
    s.loopRun.running = false;
    s.loopRun.buffer.reset();
    s.loopRun.stop = false;
    s.loopRun.threads = 0;
    s.loopRun.passes = 0;
    s.loopRun.passLimit = 0;
    s.loopRun.clearOutput = ClearScreen;
    s.loopRun.writeLine = WriteScreenLine;
}

}  // namespace device
