// The device tester's window in a test: an offscreen main window over virtual ports, the
// screen's rows as text, and waits that serve events.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "device/connection/device_state.h"
#include "device/connection/test_ports.h"
#include "device/window/app_shell.h"
#include "device/window/terminal_screen.h"
#include "platform/main_window.h"
#include "platform/ui_testing.h"

namespace device::testing {

// COM1 a loopback plug, COM2 an open line, COM7 a device that does not exist.
inline constexpr char kWindowTestMap[] =
    "COM1 loopback\n"
    "COM2 open-line\n"
    "COM7 /dev/serialkit-test-no-such-device\n";

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::testing::StartTestUi();
        serial::testing::UseMap(kWindowTestMap);
        ResetDeviceState();
        ASSERT_TRUE(InitInstance(AppOptions{}));
        ASSERT_TRUE(CreateScreen());
    }

    void TearDown() override {
        ui::DestroyMainWindow();
        ui::testing::ResetBoxes();
    }

    static std::u16string Row(int row) {
        return ScreenRowsText().at(static_cast<std::size_t>(row));
    }

    static bool WaitForRow(int row, const std::u16string& text) {
        return ui::testing::WaitUntil([&] { return Row(row) == text; });
    }
};

}  // namespace device::testing
