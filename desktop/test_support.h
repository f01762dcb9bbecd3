// What the tests of haberon share: a temporary config directory, a port map of virtual ports,
// frmMain built offscreen, and the results list read back as text.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "desktop/frm_main.h"
#include "desktop/frm_main_layout.h"
#include "desktop/haberon_state.h"
#include "device/connection/test_ports.h"
#include "platform/dialog.h"
#include "platform/form.h"
#include "platform/ui_testing.h"

namespace haberon::testing {

class HaberonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/haberon-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        configHome = pattern;
        setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        ui::testing::StartTestUi();
        state.stopRequested = false;
    }

    void TearDown() override {
        if (state.frmMain != nullptr) {
            ui::DestroyForm(*state.frmMain);
            state.frmMain = nullptr;
        }
        state.portRecords.clear();
        state.running = false;
        state.endAfterRun = false;
        unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(configHome);
    }

    // Builds frmMain (Load reads the settings of the temporary config directory).
    ui::Dialog& Form() {
        EXPECT_TRUE(ShowFrmMain());
        return *state.frmMain;
    }

    // The six texts of a row of the results list.
    static std::vector<std::string> Row(int row) {
        std::vector<std::string> texts;
        for (int column = kColumnPort; column <= kColumnCompFail; ++column) {
            texts.push_back(ui::GetListViewText(*state.frmMain, kLvResults, row, column));
        }
        return texts;
    }

    std::string configHome;
};

}  // namespace haberon::testing
