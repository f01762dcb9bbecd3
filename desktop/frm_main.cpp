#include "desktop/frm_main.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "desktop/frm_main_layout.h"
#include "desktop/haberon_state.h"
#include "desktop/mod_test.h"
#include "desktop/number_text.h"
#include "platform/form.h"
#include "platform/settings_store.h"
#include "platform/ui_app.h"

namespace haberon {

namespace {

constexpr int kExitNormal = 0;
constexpr int kExitCannotStart = 1;

// Column widths leave this much of lvResults free, in twips.
constexpr double kColumnMargin = 50;

constexpr const char* kNoDisplayHint =
    "Or run the test without a window: haberon --lower N --upper M [--baud RATE] "
    "[--passes N | --seconds S] [--progress]\n";

std::string ReadSetting(const char* key, const char* fallback) {
    return settings::GetSetting(kSettingsApplication, kSettingsSection, key, fallback);
}

// A stored window coordinate; one that is not a number places the window at 0.
double StoredCoordinate(const char* key) {
    return StoredNumber(ReadSetting(key, "0")).value_or(0);
}

// The stored rate position: -1 (nothing selected) or a position of the list; anything else
// gives the default.
int StoredRatePosition() {
    const std::optional<double> stored = StoredNumber(ReadSetting(kKeyBaud, "5"));
    if (!stored || *stored < -1 || *stored >= static_cast<double>(kRates.size()) ||
        *stored != std::floor(*stored)) {
        return kDefaultBaudPosition;
    }
    return static_cast<int>(*stored);
}

void EndProgram() {
    ui::Dialog& form = *state.frmMain;
    frmMain_Unload(form);
    ui::DestroyForm(form);
    state.frmMain = nullptr;
    ui::WakeUi();
}

}  // namespace

void frmMain_Load(ui::Dialog& form) {
    const ui::WindowPosition position{StoredCoordinate(kKeyLeft), StoredCoordinate(kKeyTop)};
    ui::SetWindowPosition(form, position);
    ui::SetItemText(form, kTxtLower, ReadSetting(kKeyLowerPort, kDefaultPort));
    ui::SetItemText(form, kTxtUpper, ReadSetting(kKeyUpperPort, kDefaultPort));
    const int columns = ui::ListViewColumnCount(form, kLvResults);
    const double width =
        static_cast<double>(ui::GetItemWidth(form, kLvResults)) / columns - kColumnMargin;
    for (int column = 0; column < columns; ++column) {
        ui::SetListViewColumnWidth(form, kLvResults, column, width);
    }
    for (const char* rate : kRates) {
        ui::AddListEntry(form, kCboRate, rate);
    }
    ui::SelectListEntry(form, kCboRate, StoredRatePosition());
}

void frmMain_Unload(ui::Dialog& form) {
    const ui::WindowPosition position = ui::GetWindowPosition(form);
    const std::pair<const char*, std::string> values[] = {
        {kKeyTop, SingleText(position.top)},
        {kKeyLeft, SingleText(position.left)},
        {kKeyBaud, std::to_string(ui::GetListSelection(form, kCboRate))},
        {kKeyLowerPort, ui::GetItemText(form, kTxtLower)},
        {kKeyUpperPort, ui::GetItemText(form, kTxtUpper)},
    };
    bool saved = true;
    for (const auto& [key, value] : values) {
        saved = settings::SaveSetting(kSettingsApplication, kSettingsSection, key, value) && saved;
    }
    if (!saved) {
        std::fprintf(stderr, "haberon: the settings could not be written to %s\n",
                     settings::SettingsFilePath(kSettingsApplication).c_str());
    }
}

void cmdGo_Click() {
    ui::Dialog& form = *state.frmMain;
    state.running = true;
    state.stopRequested = false;
    ui::EnableItem(form, kCmdGo, false);
    ui::EnableItem(form, kCmdStop, true);
    ClearResultRows();
    // The range and the rate of the whole run: the records exist for this range alone.
    const std::int16_t lower = PortNumberFromText(ui::GetItemText(form, kTxtLower));
    const std::int16_t upper = PortNumberFromText(ui::GetItemText(form, kTxtUpper));
    const std::int32_t rate = RateFromText(ui::GetItemText(form, kCboRate));
    OpenPortRange(lower, upper, rate);
    AddResultRows(lower, upper);
    while (!state.stopRequested) {
        RunLoopbackPass(lower, upper, rate);
        if (rate > kRefreshEachPortRate) {
            RefreshResultRows(lower, upper);
        }
        YieldToEventQueue();
    }
    ClosePortRange(lower, upper);
    state.running = false;
    if (state.endAfterRun) {
        EndProgram();
        return;
    }
    ui::EnableItem(form, kCmdGo, true);
}

void cmdStop_Click() {
    if (state.frmMain != nullptr) {
        ui::EnableItem(*state.frmMain, kCmdStop, false);
    }
    state.stopRequested = true;
}

void frmMain_CloseRequested() {
    if (state.running) {
        state.endAfterRun = true;
        cmdStop_Click();
        return;
    }
    EndProgram();
}

bool ShowFrmMain() {
    state.endAfterRun = false;
    ui::Dialog* form =
        ui::CreateForm(kFrmMainTemplate, {frmMain_Load,
                                          [](ui::Dialog&, int id) {
                                              if (id == kCmdGo) {
                                                  cmdGo_Click();
                                              } else if (id == kCmdStop) {
                                                  cmdStop_Click();
                                              }
                                          },
                                          [](ui::Dialog&) { frmMain_CloseRequested(); }});
    if (form == nullptr) {
        return false;
    }
    state.frmMain = form;
    ui::ShowForm(*form);
    return true;
}

int RunWindow(int& argc, char** argv) {
    if (!ui::StartUi(argc, argv, "haberon", kNoDisplayHint)) {
        return kExitCannotStart;
    }
    ShowFrmMain();
    // The program lasts as long as its window.
    ui::ServeEventsUntil([] { return state.frmMain == nullptr; });
    ui::EndUi();
    return kExitNormal;
}

}  // namespace haberon
