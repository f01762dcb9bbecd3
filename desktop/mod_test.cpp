#include "desktop/mod_test.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string>

#include "desktop/frm_main_layout.h"
#include "desktop/haberon_state.h"
#include "desktop/random_source.h"
#include "device/connection/serial_api.h"
#include "platform/dialog.h"
#include "platform/ui_app.h"

namespace haberon {

namespace {

using serial::DWORD;

// A read of 128 bytes gives up after 50 + 128 x 1 = 178 ms; a write has no time-out.
constexpr serial::COMMTIMEOUTS kExchangeTimeouts{0, 1, 50, 0, 0};

void Count(std::int16_t& counter) {
    if (counter < std::numeric_limits<std::int16_t>::max()) {
        ++counter;
    }
}

// The record of port p, or null when the range opened last has none for it.
PortRecord* RecordOf(std::int16_t lower, int port) {
    const long index = static_cast<long>(port) - lower;
    if (index < 0 || index >= static_cast<long>(state.portRecords.size())) {
        return nullptr;
    }
    return &state.portRecords[static_cast<std::size_t>(index)];
}

void ConfigurePort(serial::HANDLE handle, std::int32_t baudRate) {
    // Only the rate changes; framing and flow control stay as the port had them. Neither
    // call's result matters: a port that keeps its old rate still runs its exchanges.
    serial::DCB dcb;
    serial::GetCommState(handle, &dcb);
    dcb.BaudRate = static_cast<DWORD>(baudRate);
    serial::SetCommState(handle, &dcb);
    serial::SetCommTimeouts(handle, &kExchangeTimeouts);
}

// Opens "\\.\COM<port>" for reading and writing, unshared. The desktop numbers its ports from
// 1: a COM0 would reach COM10, the device tester's other name of it, a second time.
serial::HANDLE OpenComPort(int port) {
    if (port < 1) {
        return serial::INVALID_HANDLE_VALUE;
    }
    const std::string name = "\\\\.\\COM" + std::to_string(port);
    return serial::CreateFileA(name.c_str(), serial::GENERIC_READ | serial::GENERIC_WRITE, 0,
                               nullptr, serial::OPEN_EXISTING, 0, 0);
}

}  // namespace

void YieldToEventQueue() {
    if (ui::UiStarted()) {
        ui::YieldToEvents();
    }
}

void OpenPortRange(std::int16_t lower, std::int16_t upper, std::int32_t baudRate) {
    state.portRecords.clear();
    for (int port = lower; port <= upper; ++port) {
        PortRecord& record = state.portRecords.emplace_back();
        record.handle = OpenComPort(port);
        if (record.handle == serial::INVALID_HANDLE_VALUE) {
            record.id = -1;
            continue;
        }
        record.id = static_cast<std::int16_t>(port);
        ConfigurePort(record.handle, baudRate);
    }
}

void ClosePortRange(std::int16_t lower, std::int16_t upper) {
    for (int port = lower; port <= upper; ++port) {
        PortRecord* record = RecordOf(lower, port);
        if (record == nullptr || record->handle == serial::INVALID_HANDLE_VALUE) {
            continue;
        }
        // A close fails only for a handle that is no longer open, so nothing stays behind;
        // the record then keeps what it showed.
        if (serial::CloseHandle(record->handle)) {
            *record = PortRecord{};
        }
    }
}

void RunLoopbackPass(std::int16_t lower, std::int16_t upper, std::int32_t baudRate) {
    std::array<unsigned char, kExchangeBytes> sent{};
    std::array<unsigned char, kExchangeBytes> received{};
    for (int port = lower; port <= upper && !state.stopRequested; ++port) {
        // Go stays disabled while a run lasts, so no handler rebuilds the records during the
        // yields below.
        PortRecord* record = RecordOf(lower, port);
        if (record == nullptr) {
            continue;
        }
        std::generate(sent.begin(), sent.end(), NextTestByte);
        DWORD count = 0;
        const bool wrote = serial::WriteFile(record->handle, sent.data(), kExchangeBytes, &count);
        YieldToEventQueue();
        if (!wrote) {
            Count(record->sendFail);
        } else {
            Count(record->sent);
            count = 0;
            const bool read =
                serial::ReadFile(record->handle, received.data(), kExchangeBytes, &count);
            YieldToEventQueue();
            if (read && count == kExchangeBytes) {
                Count(record->received);
                if (std::memcmp(sent.data(), received.data(), kExchangeBytes) != 0) {
                    Count(record->compFail);
                }
            } else {
                Count(record->receiveFail);
            }
        }
        if (baudRate <= kRefreshEachPortRate) {
            RefreshResultRows(lower, upper);
        }
    }
}

void AddResultRows(std::int16_t lower, std::int16_t upper) {
    if (state.frmMain == nullptr) {
        return;
    }
    for (int port = lower; port <= upper; ++port) {
        if (const PortRecord* record = RecordOf(lower, port)) {
            ui::AddListViewRow(*state.frmMain, kLvResults, std::to_string(record->id));
        }
    }
}

void RefreshResultRows(std::int16_t lower, std::int16_t upper) {
    if (state.frmMain == nullptr) {
        return;
    }
    for (int port = lower; port <= upper; ++port) {
        const PortRecord* record = RecordOf(lower, port);
        if (record == nullptr) {
            continue;
        }
        const int row = port - lower;
        const std::pair<int, std::int16_t> cells[] = {{kColumnSent, record->sent},
                                                      {kColumnSendFail, record->sendFail},
                                                      {kColumnReceived, record->received},
                                                      {kColumnReceiveFail, record->receiveFail},
                                                      {kColumnCompFail, record->compFail}};
        for (const auto& [column, value] : cells) {
            ui::SetListViewText(*state.frmMain, kLvResults, row, column, std::to_string(value));
        }
    }
}

void ClearResultRows() {
    if (state.frmMain != nullptr) {
        ui::ClearListViewRows(*state.frmMain, kLvResults);
    }
}

}  // namespace haberon
