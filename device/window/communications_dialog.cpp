#include "device/window/communications_dialog.h"

#include <cstdio>
#include <cwchar>
#include <string>

#include "device/connection/device_state.h"
#include "device/connection/serial_api.h"
#include "device/dialog_numbers.h"
#include "device/utf8_text.h"
#include "platform/dialog.h"
#include "platform/message_box.h"

namespace device {

using namespace serial;

namespace {

constexpr int kIdPortNameLabel = 1035;
constexpr int kIdBaudRate = 1030;
constexpr int kIdDataBits = 1031;
constexpr int kIdStopBits = 1032;
constexpr int kIdFlowControl = 1033;
constexpr int kIdParity = 1034;
constexpr int kIdPortName = 1037;

using ui::ControlKind;
namespace style = ui::style;

constexpr unsigned kList = style::kTabStop | style::kVerticalScroll;

constexpr ui::ControlSpec kControls[] = {
    {kIdPortNameLabel, ControlKind::kLabel, "Port Name:", 9, 7, 39, 8, style::kGroupStart},
    {ui::kNoId, ControlKind::kLabel, "Baud Rate", 9, 26, 40, 8, style::kGroupStart},
    {kIdBaudRate, ControlKind::kDropDownCombo, "", 50, 25, 64, 85, kList},
    {ui::kNoId, ControlKind::kLabel, "Data Bits", 9, 41, 30, 8, style::kGroupStart},
    {kIdDataBits, ControlKind::kDropDownList, "", 50, 40, 64, 44, kList},
    {ui::kNoId, ControlKind::kLabel, "Parity", 9, 56, 30, 8, style::kGroupStart},
    {kIdParity, ControlKind::kDropDownList, "", 50, 55, 64, 51, kList},
    {ui::kNoId, ControlKind::kLabel, "Stop Bits", 9, 71, 30, 8, style::kGroupStart},
    {kIdStopBits, ControlKind::kDropDownList, "", 50, 70, 64, 61, kList},
    {ui::kNoId, ControlKind::kLabel, "Flow Control", 9, 86, 30, 8, style::kGroupStart},
    {kIdFlowControl, ControlKind::kDropDownList, "", 50, 85, 64, 61, kList},
    {ui::kIdOk, ControlKind::kPushButton, "OK", 119, 6, 40, 14,
     style::kDefaultButton | style::kTabStop},
    {ui::kIdCancel, ControlKind::kPushButton, "Cancel", 119, 25, 39, 14, style::kTabStop},
    {kIdPortName, ControlKind::kDropDownCombo, "", 50, 7, 64, 71, kList | style::kSorted},
};

constexpr ui::DialogTemplate kTemplate = {
    102, "Communications", "Tahoma", 8, ui::TemplateUnits::kDialogUnits, 164, 102, kControls,
};

constexpr const char* kDataBits[] = {"4", "5", "6", "7", "8"};
constexpr const char* kStopBits[] = {"1", "1.5", "2"};
constexpr const char* kParities[] = {"None", "Odd", "Even", "Mark", "Space"};
constexpr const char* kFlowControls[] = {"None", "RTS/CTS", "XON/XOFF"};

constexpr std::size_t kMaxPortNameChars = 9;
constexpr std::size_t kMaxTextChars = 79;

bool PortOpen() {
    return deviceState.portHandle != INVALID_HANDLE_VALUE;
}

template <std::size_t N>
void AddEntries(ui::Dialog& dialog, int id, const char* const (&entries)[N]) {
    for (const char* entry : entries) {
        ui::AddListEntry(dialog, id, entry);
    }
}

void Fill(ui::Dialog& dialog) {
    const PortSettings& settings = deviceState.portSettings;
    const DCB& dcb = settings.dcb;
    for (int n = 1; n <= 9; ++n) {
        ui::AddListEntry(dialog, kIdPortName, "COM" + std::to_string(n));
    }
    const std::string name = WideToAscii(settings.portName);
    if (const int entry = ui::FindListEntryExact(dialog, kIdPortName, name); entry >= 0) {
        ui::SelectListEntry(dialog, kIdPortName, entry);
    } else {
        ui::SetItemText(dialog, kIdPortName, name);
    }
    if (PortOpen()) {
        ui::EnableItem(dialog, kIdPortName, false);
    }
    for (const DWORD rate : baudRateChoices) {
        ui::AddListEntry(dialog, kIdBaudRate, std::to_string(rate));
    }
    ui::SetItemText(dialog, kIdBaudRate, std::to_string(dcb.BaudRate));
    AddEntries(dialog, kIdDataBits, kDataBits);
    ui::SelectListEntry(dialog, kIdDataBits,
                        ui::FindListEntryExact(dialog, kIdDataBits, std::to_string(dcb.ByteSize)));
    AddEntries(dialog, kIdStopBits, kStopBits);
    ui::SelectListEntry(dialog, kIdStopBits, dcb.StopBits);
    AddEntries(dialog, kIdParity, kParities);
    ui::SelectListEntry(dialog, kIdParity, dcb.Parity);
    AddEntries(dialog, kIdFlowControl, kFlowControls);
    const int flow = (dcb.flags & kFlagOutX) != 0 ? 2 : (dcb.flags & kFlagOutxCtsFlow) != 0 ? 1 : 0;
    ui::SelectListEntry(dialog, kIdFlowControl, flow);
}

void Store(ui::Dialog& dialog) {
    PortSettings& settings = deviceState.portSettings;
    const std::wstring name = AsciiToWide(ui::GetItemText(dialog, kIdPortName, kMaxPortNameChars));
    std::wcsncpy(settings.portName, name.c_str(), std::size(settings.portName) - 1);
    DCB dcb = settings.dcb;
    if (PortOpen()) {
        // Every field the dialog does not show comes from the port.
        GetCommState(deviceState.portHandle, &dcb);
    }
    dcb.DCBlength = 28;
    dcb.BaudRate = static_cast<DWORD>(
        LeadingNumber(ui::GetItemText(dialog, kIdBaudRate, kMaxTextChars), 0, UINT32_MAX));
    dcb.ByteSize = static_cast<BYTE>(
        LeadingNumber(ui::GetItemText(dialog, kIdDataBits, kMaxTextChars), 0, 255));
    // A list without a selection keeps what was stored.
    if (const int stop = ui::GetListSelection(dialog, kIdStopBits); stop >= 0) {
        dcb.StopBits = static_cast<BYTE>(stop);
    }
    if (const int parity = ui::GetListSelection(dialog, kIdParity); parity >= 0) {
        dcb.Parity = static_cast<BYTE>(parity);
    }
    dcb.flags = FlowControlFlags(dcb.flags, ui::GetListSelection(dialog, kIdFlowControl));
    settings.dcb = dcb;
    if (PortOpen() && !SetCommState(deviceState.portHandle, &settings.dcb)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "%s does not take these settings and keeps its current ones; they are "
                      "stored for the next Connect.",
                      WideToAscii(settings.portName).c_str());
        ui::MessageBox(text, "Warning");
    }
}

}  // namespace

DWORD FlowControlFlags(DWORD flags, int choice) {
    flags = (flags & (0xFFFF0000u | 0xDCD3u)) | 0x1010u;
    if (choice == 1) {
        flags = (flags & ~0x1000u) | 0x2004u;
    } else if (choice == 2) {
        flags |= 0x0300u;
    }
    return flags & ~kFlagDsrSensitivity;
}

int CommunicationsDialog() {
    ui::DialogProcedure procedure;
    procedure.init = Fill;
    procedure.command = [](ui::Dialog& dialog, int id) {
        if (id == ui::kIdOk) {
            Store(dialog);
            ui::EndDialog(dialog, 1);
        } else if (id == ui::kIdCancel) {
            ui::EndDialog(dialog, 0);
        }
    };
    return ui::RunModalDialog(kTemplate, procedure);
}

}  // namespace device
