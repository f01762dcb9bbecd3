#include "device/loopback/loopback_test.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

#include "device/connection/device_state.h"
#include "device/connection/send_data.h"
#include "device/connection/serial_api.h"
#include "device/window/app_shell.h"
#include "platform/kernel.h"
#include "platform/message_box.h"
#include "platform/ui_app.h"

namespace device {

using namespace serial;

std::uint32_t loopbackReadTimeout = 10000;

namespace {

LoopbackRun& run = deviceState.loopRun;

int SlotOfPort(int port) {
    return port == 10 ? 0 : port;
}

void ShowLine(const std::string& text, int row) {
    const std::u16string wide(text.begin(), text.end());
    run.writeLine(wide.c_str(), row);
}

// The last thread of the run to end wakes whoever waits for the run's end.
void ThreadEnded() {
    if (--run.threads == 0) {
        kernel::SetEvent(run.ended);
    }
    ui::WakeUi();
}

// Ends every thread of the run: the flag for the threads between calls, the abort event for
// the writers waiting for a pass, and closing the ports for the calls under way. Then waits,
// serving events when there is a user interface, until the last thread has ended.
void EndRunThreads() {
    run.stop = true;
    kernel::SetEvent(deviceState.abortEvent);
    for (int i = 0; i < run.portCount; ++i) {
        LoopbackPortSlot& slot = deviceState.loopSlots[SlotOfPort(run.firstPort + i)];
        if (slot.handle != INVALID_HANDLE_VALUE) {
            CloseHandle(slot.handle);
            slot.handle = INVALID_HANDLE_VALUE;
        }
    }
    if (ui::OnUiThread()) {
        ui::ServeEventsUntil([] { return run.threads == 0; });
    } else {
        kernel::WaitForEvent(run.ended, kernel::kInfinite);
    }
}

bool StartPortThreads(LoopbackPortSlot& slot) {
    run.threads += 2;
    if (!kernel::StartDetachedThread([&slot] { LoopbackWriter(slot.portNumber); })) {
        run.threads -= 2;
        return false;
    }
    if (!kernel::StartDetachedThread([&slot] { LoopbackReader(slot.portNumber); })) {
        // The writer waits for a pass that never comes; Stop releases it.
        ThreadEnded();
    }
    return true;
}

bool RangeFits(int first, int count) {
    return count >= 1 && count <= kLoopbackSlots && first >= 0 && first + count - 1 <= 10;
}

}  // namespace

std::string LoopbackResultLine(int slot, int passCount, int errorCount, const char* status) {
    char line[64];
    std::snprintf(line, sizeof line, "COM%d  %5d  %5d    %s", slot, passCount, errorCount, status);
    return line;
}

const char* JudgeLoopbackPass(unsigned status, bool* error) {
    *error = true;
    if (status == (kWriteComplete | kReadMatch)) {
        *error = false;
        return "Success";
    }
    if ((status & kWriteShort) != 0) {
        return "Write Error";
    }
    if ((status & kReadShort) != 0) {
        return "Read count error";
    }
    if ((status & kReadMismatch) != 0) {
        return "Read data error";
    }
    return "Unknown Error";
}

bool StartLoopback() {
    DeviceState& s = deviceState;
    if (s.portHandle != INVALID_HANDLE_VALUE) {
        ui::MessageBox("Please stop TTY connection first.", "Info");
        return false;
    }
    const int first = s.loopFirstPort;
    const int count = s.loopPortCount;
    if (!RangeFits(first, count)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "First port %d with %d ports does not fit: the test covers ports 1 to 10 "
                      "(port 10 is COM0).",
                      first, count);
        ui::MessageBox(text, "Error");
        return false;
    }
    if (s.packageSize == 0) {
        ui::MessageBox("A package size of 0 has nothing to test: choose at least 1 byte.", "Error");
        return false;
    }
    s.abortEvent = kernel::CreateEvent(true, false);
    if (!s.abortEvent) {
        ui::MessageBox("Unable to create Abort event", "Error");
        return false;
    }
    run.buffer = BuildTestBuffer();
    if (run.buffer == nullptr) {
        kernel::CloseEvent(s.abortEvent);
        return false;
    }
    run.firstPort = first;
    run.portCount = count;
    run.packageSize = run.buffer->size;
    run.stop = false;
    run.passes = 0;
    run.unopened = 0;
    // Start holds one count of its own until every port is set up, so that ports that finish
    // early cannot make the run look ended while later ones are still starting.
    run.threads = 1;
    run.ended = kernel::CreateEvent(true, false);
    run.running = true;
    for (int i = 0; i < count; ++i) {
        LoopbackPortSlot& slot = s.loopSlots[SlotOfPort(first + i)];
        slot.handle = INVALID_HANDLE_VALUE;
        slot.passEvent.reset();
        slot.reportEvent.reset();
        slot.rxBuffer.reset();
    }
    run.clearOutput();
    ShowLine(kLoopbackHeader, 0);

    const COMMTIMEOUTS timeouts{0, 0, loopbackReadTimeout, 0, 0};
    for (int i = 0; i < count; ++i) {
        const int index = SlotOfPort(first + i);
        LoopbackPortSlot& slot = s.loopSlots[index];
        slot.passCount = 0;
        slot.status = 0;
        slot.writerEnded = false;
        slot.readerEnded = false;
        slot.screenRow = i;
        slot.portNumber = index;
        slot.passEvent = kernel::CreateEvent(false, false);
        slot.reportEvent = kernel::CreateEvent(false, false);
        slot.errorCount = 0;
        slot.reported = 0;
        slot.rxBuffer.reset(new (std::nothrow) BYTE[run.packageSize]);
        if (!slot.passEvent || !slot.reportEvent || slot.rxBuffer == nullptr) {
            ui::MessageBox("Unable to allocated buffer", "Error");
            ThreadEnded();
            EndRunThreads();
            ReleaseLoopbackSlots();
            return false;
        }
        wchar_t name[16];
        std::swprintf(name, 16, L"COM%d:", index);
        slot.handle =
            CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, 0);
        if (slot.handle == INVALID_HANDLE_VALUE) {
            char text[32];
            std::snprintf(text, sizeof text, "Cannot open COM%d\n", index);
            ui::MessageBox(text, "Error");
            ++run.unopened;
            continue;
        }
        SetCommState(slot.handle, &s.portSettings.dcb);
        COMMTIMEOUTS current;
        GetCommTimeouts(slot.handle, &current);
        SetCommTimeouts(slot.handle, &timeouts);
        if (!StartPortThreads(slot)) {
            CloseHandle(slot.handle);
            slot.handle = INVALID_HANDLE_VALUE;
        }
    }
    ThreadEnded();
    return true;
}

void StopLoopback() {
    if (!run.running) {
        return;
    }
    EndRunThreads();
    ReleaseLoopbackSlots();
}

void ReleaseLoopbackSlots() {
    DeviceState& s = deviceState;
    kernel::CloseEvent(s.abortEvent);
    for (int i = 0; i < run.portCount; ++i) {
        LoopbackPortSlot& slot = s.loopSlots[SlotOfPort(run.firstPort + i)];
        if (slot.handle != INVALID_HANDLE_VALUE) {
            CloseHandle(slot.handle);
            slot.handle = INVALID_HANDLE_VALUE;
        }
        kernel::CloseEvent(slot.passEvent);
        kernel::CloseEvent(slot.reportEvent);
        slot.rxBuffer.reset();
    }
    run.buffer.reset();
    run.running = false;
}

void LoopbackWriter(const int& portNumber) {
    LoopbackPortSlot& slot = deviceState.loopSlots[portNumber];
    // The thread's own copies: the release may clear the slot's fields once the run has ended.
    const HANDLE port = slot.handle;
    const kernel::EventHandle passEvent = slot.passEvent;
    const kernel::EventHandle abortEvent = deviceState.abortEvent;
    const std::shared_ptr<const TestBuffer> buffer = run.buffer;
    for (;;) {
        if (kernel::WaitForEither(passEvent, abortEvent, kernel::kInfinite) != 0 ||
            slot.readerEnded) {
            break;
        }
        DWORD written = 0;
        if (!WriteFile(port, buffer->bytes.get(), buffer->size, &written)) {
            break;
        }
        slot.status |= written == buffer->size ? kWriteComplete : kWriteShort;
        kernel::SetEvent(slot.reportEvent);
        if (run.stop) {
            break;
        }
    }
    slot.writerEnded = true;
    kernel::SetEvent(slot.reportEvent);
    ThreadEnded();
}

void LoopbackReader(const int& portNumber) {
    LoopbackPortSlot& slot = deviceState.loopSlots[portNumber];
    const HANDLE port = slot.handle;
    const std::shared_ptr<const TestBuffer> buffer = run.buffer;
    BYTE* const received = slot.rxBuffer.get();
    for (;;) {
        slot.status = 0;
        kernel::SetEvent(slot.passEvent);
        DWORD got = 0;
        if (!ReadFile(port, received, buffer->size, &got)) {
            break;
        }
        if (got < buffer->size) {
            slot.status |= kReadShort;
        } else {
            const bool same = std::memcmp(received, buffer->bytes.get(), buffer->size) == 0;
            slot.status |= same ? kReadMatch : kReadMismatch;
        }
        ++slot.passCount;
        if (run.stop || !ReportLoopbackPass(portNumber) || run.stop) {
            break;
        }
        if (run.passLimit > 0 && slot.reported >= run.passLimit) {
            break;
        }
    }
    // No further pass will start: the writer may go too.
    slot.readerEnded = true;
    kernel::SetEvent(slot.passEvent);
    ThreadEnded();
}

bool ReportLoopbackPass(int index) {
    LoopbackPortSlot& slot = deviceState.loopSlots[index];
    const kernel::EventHandle reportEvent = slot.reportEvent;
    const kernel::EventHandle abortEvent = deviceState.abortEvent;
    unsigned status = slot.status;
    // The writer reports as soon as its write returns; the wait looks again at least every
    // 20 ms and ends at Stop.
    while ((status & (kWriteComplete | kWriteShort)) == 0) {
        if (run.stop) {
            return false;
        }
        if (slot.writerEnded) {
            break;  // its write call failed: judged below as a write error
        }
        kernel::WaitForEither(reportEvent, abortEvent, 20);
        status = slot.status;
    }
    const bool writerReported = (status & (kWriteComplete | kWriteShort)) != 0;
    bool error = true;
    const char* text = writerReported ? JudgeLoopbackPass(status, &error) : "Write Error";
    if (error) {
        ++slot.errorCount;
    }
    ++slot.reported;
    ShowLine(LoopbackResultLine(index, slot.passCount, slot.errorCount, text), slot.screenRow + 1);
    ++run.passes;
    return writerReported;
}

void LoopbackStartCommand() {
    if (StartLoopback()) {
        SetLoopbackMenu(false);
    }
}

void LoopbackStopCommand() {
    StopLoopback();
    SetLoopbackMenu(true);
}

}  // namespace device
