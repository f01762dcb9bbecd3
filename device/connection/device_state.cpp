#include "device/connection/device_state.h"

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
}

}  // namespace device
