#include "device/connection/send_data_dialog.h"

#include <cstdint>
#include <string>

#include "device/connection/device_state.h"
#include "device/dialog_numbers.h"
#include "platform/dialog.h"

namespace device {

namespace {

constexpr int kIdPackageSize = 1038;
constexpr int kIdKeepSending = 1039;

using ui::ControlKind;
namespace style = ui::style;

constexpr ui::ControlSpec kControls[] = {
    {ui::kNoId, ControlKind::kLabel, "Package size:", 10, 10, 45, 10, 0},
    {kIdPackageSize, ControlKind::kEdit, "", 60, 9, 56, 12,
     style::kDigitsOnly | style::kBorder | style::kAutoHorizontalScroll | style::kTabStop},
    {kIdKeepSending, ControlKind::kCheckBox, "Keep sending until canceled", 59, 30, 105, 11,
     style::kTabStop},
    {ui::kIdOk, ControlKind::kPushButton, "Send", 56, 45, 50, 14,
     style::kDefaultButton | style::kTabStop},
    {ui::kIdCancel, ControlKind::kPushButton, "Cancel", 111, 45, 50, 14, style::kTabStop},
};

constexpr ui::DialogTemplate kTemplate = {
    105, "Send Data", "MS Sans Serif", 8, ui::TemplateUnits::kDialogUnits, 171, 66, kControls,
};

// At most this many characters of the edit are read.
constexpr std::size_t kMaxTextChars = 79;

}  // namespace

int SendDataDialog() {
    ui::DialogProcedure procedure;
    procedure.init = [](ui::Dialog& dialog) {
        ui::SetItemText(dialog, kIdPackageSize, std::to_string(deviceState.packageSize.load()));
        ui::CheckItem(dialog, kIdKeepSending, deviceState.keepSending);
    };
    procedure.command = [](ui::Dialog& dialog, int id) {
        DeviceState& s = deviceState;
        if (id == ui::kIdOk) {
            s.cancelFlag = false;
            s.packageSize = static_cast<std::uint32_t>(LeadingNumber(
                ui::GetItemText(dialog, kIdPackageSize, kMaxTextChars), 0, UINT32_MAX));
            s.keepSending = ui::IsItemChecked(dialog, kIdKeepSending);
            ui::EndDialog(dialog, 1);
        } else if (id == ui::kIdCancel) {
            s.cancelFlag = true;
            ui::EndDialog(dialog, 0);
        }
    };
    return ui::RunModalDialog(kTemplate, procedure);
}

}  // namespace device
