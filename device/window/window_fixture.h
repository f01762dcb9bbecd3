// The device tester's window in a test: an offscreen main window over virtual ports, the
// screen's rows as text, and waits that serve events.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "device/connection/device_state.h"
#include "device/connection/test_ports.h"
#include "device/window/app_shell.h"
#include "device/window/terminal_screen.h"
#include "platform/dialog_testing.h"
#include "platform/main_window.h"
#include "platform/ui_testing.h"

namespace device::testing {

// COM1 and COM3 to COM10 loopback plugs, COM2 an open line, COM7 a device that does not
// exist.
inline constexpr char kWindowTestMap[] =
    "COM1 loopback\n"
    "COM2 open-line\n"
    "COM3 loopback\n"
    "COM4 loopback\n"
    "COM5 loopback\n"
    "COM6 loopback\n"
    "COM7 /dev/serialkit-test-no-such-device\n"
    "COM8 loopback\n"
    "COM9 loopback\n"
    "COM10 loopback\n";

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
        // What the threads of this test handed over lands before the next test's window.
        ui::testing::RunPostedWork();
        ui::testing::ResetBoxes();
    }

    static std::u16string Row(int row) {
        return ScreenRowsText().at(static_cast<std::size_t>(row));
    }

    static bool WaitForRow(int row, const std::u16string& text) {
        return ui::testing::WaitUntil([&] { return Row(row) == text; });
    }

    // The boxes shown from now until `count` have been, or the wait gives up.
    static std::vector<ui::testing::ShownBox> WaitForBoxes(std::size_t count) {
        std::vector<ui::testing::ShownBox> boxes;
        ui::testing::WaitUntil([&] {
            for (ui::testing::ShownBox& box : ui::testing::TakeShownBoxes()) {
                boxes.push_back(std::move(box));
            }
            return boxes.size() >= count;
        });
        return boxes;
    }
};

}  // namespace device::testing
