// frmMain as designed: its controls in twips, the results list's columns, the rates of the
// rate box, and the names under which the settings are stored.
#pragma once

#include <array>
#include <span>

#include "platform/dialog.h"

namespace haberon {

// Control ids.
inline constexpr int kLabel2 = 1;
inline constexpr int kTxtLower = 2;
inline constexpr int kLabel1 = 3;
inline constexpr int kTxtUpper = 4;
inline constexpr int kCmdGo = 5;
inline constexpr int kCmdStop = 6;
inline constexpr int kLblRate = 7;
inline constexpr int kCboRate = 8;
inline constexpr int kLabel3 = 9;
inline constexpr int kLvResults = 10;

// Columns of lvResults, counted from 0: the port, then sub-items 1 to 5.
inline constexpr int kColumnPort = 0;
inline constexpr int kColumnSent = 1;
inline constexpr int kColumnSendFail = 2;
inline constexpr int kColumnReceived = 3;
inline constexpr int kColumnReceiveFail = 4;
inline constexpr int kColumnCompFail = 5;

extern const ui::DialogTemplate kFrmMainTemplate;
extern const std::span<const ui::ListColumnSpec> kResultColumns;

// The rates of cboRate in list order; position 5 is 9600.
inline constexpr std::array<const char*, 15> kRates = {
    "300",   "600",   "1200",   "2400",   "4800",   "9600",   "14400",  "19200",
    "38400", "57600", "115200", "230400", "460800", "921600", "1382400"};

// The settings store.
inline constexpr const char* kSettingsApplication = "Harbex";
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kKeyTop = "Top";
inline constexpr const char* kKeyLeft = "Left";
inline constexpr const char* kKeyBaud = "Baud";
inline constexpr const char* kKeyLowerPort = "LowerPort";
inline constexpr const char* kKeyUpperPort = "UpperPort";
inline constexpr int kDefaultBaudPosition = 5;
inline constexpr const char* kDefaultPort = "1";

}  // namespace haberon
