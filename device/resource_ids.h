// Command and control ids of the device tester's main window, its menu and dialogs. The
// numbers are those of the program's resources, so that ids read the same everywhere.
#pragma once

namespace device {

// Lamp row.
inline constexpr int kIdDtr = 40001;
inline constexpr int kIdRts = 40002;
inline constexpr int kIdDsrLamp = 40003;
inline constexpr int kIdCtsLamp = 40004;
inline constexpr int kIdDcdLamp = 40005;
inline constexpr int kIdRingLamp = 40006;
inline constexpr int kIdNoRead = 40007;

// Menu 101.
inline constexpr int kIdExit = 40008;
inline constexpr int kIdClearBuffer = 40009;
inline constexpr int kIdAbout = 40015;
inline constexpr int kIdSettings = 40017;
inline constexpr int kIdConnect = 40018;
inline constexpr int kIdDisconnect = 40019;
inline constexpr int kIdSetBreak = 40020;
inline constexpr int kIdClearBreak = 40021;
inline constexpr int kIdSendData = 40022;
inline constexpr int kIdPortInfo = 40025;
inline constexpr int kIdLoopbackSettings = 40026;
inline constexpr int kIdLoopbackStart = 40027;
inline constexpr int kIdLoopbackStop = 40028;

}  // namespace device
