#include "device/window/main_window_resources.h"

#include "device/resource_ids.h"

namespace device {

namespace {

constexpr ui::MenuItemSpec kFileMenu[] = {
    {kIdConnect, "&Connect"},
    {kIdDisconnect, "&Disconnect"},
    {0, nullptr},
    {kIdPortInfo, "Port Info..."},
    {0, nullptr},
    {kIdExit, "E&xit"},
};

constexpr ui::MenuItemSpec kTtyMenu[] = {
    {kIdSettings, "&Settings..."},
    {0, nullptr},
    {kIdSendData, "Send Data..."},
    {0, nullptr},
    {kIdSetBreak, "Set &Break"},
    {kIdClearBreak, "&Clear Break"},
    {0, nullptr},
    {kIdClearBuffer, "Cl&ear Buffer"},
};

constexpr ui::MenuItemSpec kLoopbackMenu[] = {
    {kIdLoopbackSettings, "Settings..."},
    {kIdLoopbackStart, "Start"},
    {kIdLoopbackStop, "Stop"},
};

constexpr ui::MenuItemSpec kHelpMenu[] = {
    {kIdAbout, "&About Termivo"},
};

constexpr ui::MenuSpec kMenuBar[] = {
    {"&File", kFileMenu},
    {"&TTY", kTtyMenu},
    {"Loopback", kLoopbackMenu},
    {"&Help", kHelpMenu},
};

// The four lamps are disabled: only the program sets their marks.
constexpr ui::CheckBoxSpec kLampRow[] = {
    {kIdDtr, "DTR", 5, 50, true},          {kIdRts, "RTS", 65, 50, true},
    {kIdDsrLamp, "DSR", 125, 50, false},   {kIdCtsLamp, "CTS", 185, 50, false},
    {kIdDcdLamp, "DCD", 245, 50, false},   {kIdRingLamp, "RING", 305, 60, false},
    {kIdNoRead, "No Read", 365, 70, true},
};

}  // namespace

ui::MainWindowSpec MainWindowResources() {
    return ui::MainWindowSpec{kMainWindowTitle, kMenuBar,    kLampRow,
                              kLampRowGap,      kLampHeight, kViewGap};
}

}  // namespace device
