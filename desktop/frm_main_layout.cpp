#include "desktop/frm_main_layout.h"

namespace haberon {

namespace {

using ui::ControlKind;
namespace style = ui::style;

constexpr unsigned kBox = style::kBorder | style::kTabStop;

// In tab order: txtLower, txtUpper, cmdGo, lvResults, cmdStop, cboRate. The labels take no
// focus; each stands beside what it names.
constexpr ui::ControlSpec kControls[] = {
    {kLabel2, ControlKind::kLabel, "Lower Comm Port:", 120, 240, 1335, 255, 0},
    {kTxtLower, ControlKind::kEdit, "3", 1560, 240, 735, 285, kBox},
    {kLabel1, ControlKind::kLabel, "Upper Comm Port:", 120, 600, 1335, 255, 0},
    {kTxtUpper, ControlKind::kEdit, "18", 1560, 600, 735, 285, kBox},
    {kCmdGo, ControlKind::kPushButton, "&Go", 2640, 240, 1335, 615, style::kTabStop},
    {kLabel3, ControlKind::kLabel, "Results:       (128 Bytes of data is being transfered)", 120,
     1080, 3735, 255, 0},
    {kLvResults, ControlKind::kListView, "", 120, 1440, 9615, 5775, kBox},
    {kCmdStop, ControlKind::kPushButton, "&Stop", 4200, 240, 1335, 615,
     style::kTabStop | style::kDisabled},
    {kLblRate, ControlKind::kLabel, "Baud Rate:", 6480, 360, 855, 255, 0},
    {kCboRate, ControlKind::kDropDownCombo, "", 7440, 360, 1815, 315,
     style::kTabStop | style::kVerticalScroll},
};

constexpr ui::ListColumnSpec kColumns[] = {
    {kLvResults, "HEAD_PORT", "Port #"},
    {kLvResults, "HEAD_SENT", "# Sent"},
    {kLvResults, "HEAD_SEND_FAIL", "# Sent, Failed"},
    {kLvResults, "HEAD_RECEIVED", "# Received"},
    {kLvResults, "HEAD_RECEIVE_FAIL", "# Received, Failed"},
    {kLvResults, "HEAD_COMP_FAIL", "# Compare, Failed"},
};

}  // namespace

const ui::DialogTemplate kFrmMainTemplate{
    0, "Harbex", "MS Sans Serif", 8, ui::TemplateUnits::kTwips, 9870, 9090, kControls, kColumns};

const std::span<const ui::ListColumnSpec> kResultColumns = kColumns;

}  // namespace haberon
