#include "device/connection/send_data.h"

#include <cstdio>
#include <new>

#include "device/connection/send_data_dialog.h"
#include "device/connection/serial_api.h"
#include "platform/kernel.h"
#include "platform/message_box.h"
#include "platform/ui_app.h"

namespace device {

using namespace serial;

std::shared_ptr<const TestBuffer> BuildTestBuffer() {
    const std::uint32_t size = deviceState.packageSize;
    auto buffer = std::make_shared<TestBuffer>();
    if (size <= kMaxPackageSize) {
        buffer->bytes.reset(new (std::nothrow) BYTE[size == 0 ? 1 : size]);
    }
    if (buffer->bytes == nullptr) {
        ui::MessageBox("Unable to allocated buffer", "Error");
        return nullptr;
    }
    buffer->size = size;
    for (std::uint32_t i = 0; i < size; ++i) {
        buffer->bytes[i] = static_cast<BYTE>('0' + i % 10);
    }
    return buffer;
}

void SenderThread() {
    DeviceState& s = deviceState;
    const std::shared_ptr<const TestBuffer> buffer = BuildTestBuffer();
    if (buffer != nullptr) {
        // An empty package has nothing to repeat, and a failed write (the device has gone)
        // would fail again at once: either ends the sending, and the report follows.
        bool writeOk = true;
        do {
            DWORD written = 0;
            writeOk = WriteFile(s.portHandle, buffer->bytes.get(), buffer->size, &written) != 0;
            s.totalSent += static_cast<std::int32_t>(written);
        } while (s.keepSending && !s.cancelFlag && buffer->size > 0 && writeOk);
        char report[102];
        std::snprintf(report, sizeof report, "Total %d bytes transmitted",
                      static_cast<int>(s.totalSent));
        ui::MessageBox(report, "Send Finished");
    }
    --s.senderThreads;
    ui::WakeUi();
}

void SendDataCommand() {
    DeviceState& s = deviceState;
    if (s.portHandle == INVALID_HANDLE_VALUE) {
        ui::MessageBox("Port is not opened", "Warning");
        return;
    }
    SendDataDialog();
    if (s.cancelFlag) {
        return;
    }
    s.totalSent = 0;
    ++s.senderThreads;
    if (!kernel::StartDetachedThread(SenderThread)) {
        --s.senderThreads;
        return;
    }
    if (s.keepSending) {
        ui::MessageBox("Sending Data...\nClick OK to CANCEL sending", "Warning");
        s.cancelFlag = true;
    }
}

}  // namespace device
