#include "device/loopback/loopback_settings_dialog.h"

#include <climits>
#include <cstdint>
#include <string>

#include "device/connection/device_state.h"
#include "device/dialog_numbers.h"
#include "platform/dialog.h"

namespace device {

namespace {

constexpr int kIdPackageSize = 1038;
constexpr int kIdFirstPort = 1040;
constexpr int kIdPortCount = 1041;
constexpr int kIdBaud = 1045;
constexpr int kIdFlowControl = 1046;

using ui::ControlKind;
namespace style = ui::style;

constexpr ui::ControlSpec kControls[] = {
    {ui::kIdOk, ControlKind::kPushButton, "OK", 170, 5, 50, 14,
     style::kDefaultButton | style::kTabStop},
    {ui::kIdCancel, ControlKind::kPushButton, "Cancel", 170, 25, 50, 14, style::kTabStop},
    {kIdFirstPort, ControlKind::kDropDownCombo, "", 75, 5, 76, 77,
     style::kVerticalScroll | style::kTabStop},
    {ui::kNoId, ControlKind::kLabel, "First port :", 15, 5, 55, 10, style::kRightAligned},
    {kIdPortCount, ControlKind::kDropDownCombo, "", 75, 25, 76, 67,
     style::kVerticalScroll | style::kTabStop},
    {kIdPackageSize, ControlKind::kEdit, "", 75, 45, 76, 13,
     style::kDigitsOnly | style::kAutoHorizontalScroll | style::kBorder | style::kTabStop},
    {ui::kNoId, ControlKind::kLabel, "Package size :", 15, 45, 55, 10, style::kRightAligned},
    {ui::kNoId, ControlKind::kLabel, "Number of ports :", 15, 25, 55, 9, style::kRightAligned},
    {ui::kNoId, ControlKind::kLabel, "Baud :", 15, 65, 55, 10, style::kRightAligned},
    {kIdBaud, ControlKind::kListBox, "", 75, 65, 75, 50,
     style::kBorder | style::kVerticalScroll | style::kTabStop},
    // Made hidden and never used: the test's flow control is the terminal's.
    {ui::kNoId, ControlKind::kLabel, "Flow Control :", 20, 125, 50, 10,
     style::kRightAligned | style::kHidden},
    {kIdFlowControl, ControlKind::kListBox, "", 75, 125, 75, 30,
     style::kBorder | style::kVerticalScroll | style::kHidden},
};

constexpr ui::DialogTemplate kTemplate = {
    107, "Loopback Settings", "MS Sans Serif", 8, ui::TemplateUnits::kDialogUnits, 232,
    161, kControls,
};

constexpr std::size_t kMaxTextChars = 79;

int TextNumber(ui::Dialog& dialog, int id) {
    return static_cast<int>(
        LeadingNumber(ui::GetItemText(dialog, id, kMaxTextChars), INT_MIN, INT_MAX));
}

void Fill(ui::Dialog& dialog) {
    const DeviceState& s = deviceState;
    ui::SetItemText(dialog, kIdPackageSize, std::to_string(s.packageSize.load()));
    for (const int id : {kIdPortCount, kIdFirstPort}) {
        for (int n = 1; n <= 10; ++n) {
            ui::AddListEntry(dialog, id, std::to_string(n));
        }
    }
    ui::SelectListEntry(dialog, kIdPortCount, s.loopPortCount - 1);
    ui::SelectListEntry(dialog, kIdFirstPort, s.loopFirstPort - 1);
    for (const serial::DWORD rate : baudRateChoices) {
        ui::AddListEntry(dialog, kIdBaud, std::to_string(rate));
    }
    ui::SelectListEntry(
        dialog, kIdBaud,
        ui::FindListEntryExact(dialog, kIdBaud, std::to_string(s.portSettings.dcb.BaudRate)));
}

void Store(ui::Dialog& dialog) {
    DeviceState& s = deviceState;
    s.cancelFlag = false;
    s.packageSize = static_cast<std::uint32_t>(
        LeadingNumber(ui::GetItemText(dialog, kIdPackageSize, kMaxTextChars), 0, UINT32_MAX));
    s.loopFirstPort = TextNumber(dialog, kIdFirstPort);
    s.loopPortCount = TextNumber(dialog, kIdPortCount);
    // Without a selected rate (the current one is not in the list) the rate stays as it is.
    if (const int rate = ui::GetListSelection(dialog, kIdBaud); rate >= 0) {
        s.portSettings.dcb.BaudRate = static_cast<serial::DWORD>(
            LeadingNumber(ui::GetListEntryText(dialog, kIdBaud, rate), 0, UINT32_MAX));
    }
}

}  // namespace

int LoopbackSettingsDialog() {
    ui::DialogProcedure procedure;
    procedure.init = Fill;
    procedure.command = [](ui::Dialog& dialog, int id) {
        if (id == ui::kIdOk) {
            Store(dialog);
            ui::EndDialog(dialog, 1);
        } else if (id == ui::kIdCancel) {
            deviceState.cancelFlag = true;
            ui::EndDialog(dialog, 0);
        }
    };
    return ui::RunModalDialog(kTemplate, procedure);
}

}  // namespace device
