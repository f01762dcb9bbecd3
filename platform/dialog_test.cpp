// Modal dialogs from templates, driven as a user would: keys, clicks and typing by control id.
#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog_testing.h"
#include "platform/dialog_units.h"
#include "platform/ui_testing.h"

namespace ui {
namespace {

using testing::Key;
using testing::PixelRect;

constexpr int kEditSize = 1038;
constexpr int kCheckKeep = 1039;
constexpr int kComboFirst = 1040;
constexpr int kListDataBits = 1031;
constexpr int kListBaud = 1045;
constexpr int kEditOff = 1050;
constexpr int kListHidden = 1046;
constexpr int kComboName = 1037;

constexpr unsigned kButton = style::kTabStop;
constexpr ControlSpec kControls[] = {
    {kNoId, ControlKind::kLabel, "Package size:", 10, 10, 45, 10, style::kRightAligned},
    {kEditSize, ControlKind::kEdit, "", 60, 9, 56, 12,
     style::kDigitsOnly | style::kBorder | style::kAutoHorizontalScroll | style::kTabStop},
    {kCheckKeep, ControlKind::kCheckBox, "&Keep sending", 59, 30, 105, 11, style::kTabStop},
    {kComboFirst, ControlKind::kDropDownCombo, "", 120, 5, 76, 77,
     style::kVerticalScroll | style::kTabStop},
    {kListDataBits, ControlKind::kDropDownList, "", 120, 25, 64, 44,
     style::kVerticalScroll | style::kTabStop},
    {kListBaud, ControlKind::kListBox, "", 120, 45, 75, 50,
     style::kBorder | style::kVerticalScroll | style::kTabStop},
    {kEditOff, ControlKind::kEdit, "off", 10, 60, 40, 12,
     style::kBorder | style::kTabStop | style::kDisabled},
    {kNoId, ControlKind::kLabel, "Flow :", 10, 100, 50, 10, style::kHidden},
    {kListHidden, ControlKind::kListBox, "", 75, 100, 75, 30,
     style::kHidden | style::kBorder | style::kTabStop},
    {kIdOk, ControlKind::kPushButton, "Send", 56, 130, 50, 14, kButton | style::kDefaultButton},
    {kIdCancel, ControlKind::kPushButton, "Cancel", 111, 130, 50, 14, kButton},
    {kComboName, ControlKind::kDropDownCombo, "", 200, 5, 64, 71,
     style::kSorted | style::kVerticalScroll | style::kTabStop},
};

constexpr DialogTemplate kTemplate{
    900, "Test Dialog", "MS Sans Serif", 8, TemplateUnits::kDialogUnits, 280, 150, kControls};

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::StartTestUi();
        testing::TakeOpenedDialogs();
    }

    // A procedure that notes every command and ends the dialog on OK (1) and Cancel (0).
    DialogProcedure Noting(std::function<void(Dialog&)> init = nullptr) {
        return {std::move(init), [this](Dialog& dialog, int id) {
                    commands.push_back(id);
                    if (id == kIdOk || id == kIdCancel) {
                        EndDialog(dialog, id == kIdOk ? 1 : 0);
                    }
                }};
    }

    std::vector<int> commands;
};

TEST_F(DialogTest, OpensWithTheTemplatesCaptionAndSizeInUnitsOfItsFont) {
    const DialogBaseUnits base = MeasureDialogFont("MS Sans Serif", 8);
    ASSERT_GT(base.averageCharWidth, 0);
    ASSERT_GT(base.charHeight, 0);
    const auto x = [&](int units) { return DialogUnitsToPixelsX(units, base); };
    const auto y = [&](int units) { return DialogUnitsToPixelsY(units, base); };
    std::string caption;
    PixelRect client, edit, button, combo;
    bool hiddenShown = true;
    bool disabledShown = false;
    bool resizable = true;
    testing::QueueDialogDriver([&](Dialog& dialog) {
        caption = testing::WindowCaption(dialog);
        client = testing::ClientRect(dialog);
        edit = testing::ItemRect(dialog, kEditSize);
        button = testing::ItemRect(dialog, kIdOk);
        combo = testing::ItemRect(dialog, kComboFirst);
        hiddenShown = testing::IsItemVisible(dialog, kListHidden);
        disabledShown = testing::IsItemVisible(dialog, kEditOff);
        resizable = testing::IsResizable(dialog);
        EndDialog(dialog, 5);
    });
    EXPECT_EQ(RunModalDialog(kTemplate, {}), 5);
    EXPECT_EQ(testing::TakeOpenedDialogs(), std::vector<int>{900});
    EXPECT_EQ(caption, "Test Dialog");
    EXPECT_EQ(client, (PixelRect{0, 0, x(280), y(150)}));
    EXPECT_EQ(edit, (PixelRect{x(60), y(9), x(56), y(12)}));
    EXPECT_EQ(button, (PixelRect{x(56), y(130), x(50), y(14)}));
    // A combo's template height includes its dropped-down list; closed it is one line high.
    EXPECT_EQ(combo.x, x(120));
    EXPECT_EQ(combo.width, x(76));
    EXPECT_LT(combo.height, y(77) / 2);
    EXPECT_FALSE(hiddenShown);
    EXPECT_TRUE(disabledShown);
    EXPECT_FALSE(resizable);
}

TEST_F(DialogTest, EnterPressesTheDefaultButtonFromAnEditOrAnEditableCombo) {
    for (const int field : {kEditSize, kComboFirst}) {
        commands.clear();
        std::string typed;
        int entries = -1;
        testing::QueueDialogDriver([&](Dialog& dialog) {
            testing::TypeIntoItem(dialog, field, "42");
            testing::PressKey(dialog, Key::kEnter);
        });
        const int result = RunModalDialog(kTemplate, {nullptr, [&](Dialog& dialog, int id) {
                                                          commands.push_back(id);
                                                          typed = GetItemText(dialog, field);
                                                          entries =
                                                              ListEntryCount(dialog, kComboFirst);
                                                          EndDialog(dialog, 1);
                                                      }});
        EXPECT_EQ(result, 1) << field;
        EXPECT_EQ(commands, std::vector<int>{kIdOk}) << field;
        EXPECT_EQ(typed, "42") << field;
        EXPECT_EQ(entries, 0) << "Enter in a combo's field adds no entry";
    }
}

TEST_F(DialogTest, EscapeAndTheCloseButtonAreTheCancelCommand) {
    for (const bool closeButton : {false, true}) {
        commands.clear();
        testing::QueueDialogDriver([&](Dialog& dialog) {
            if (closeButton) {
                testing::CloseWindow(dialog);
            } else {
                testing::PressKey(dialog, Key::kEscape);
            }
        });
        EXPECT_EQ(RunModalDialog(kTemplate, Noting()), 0) << closeButton;
        EXPECT_EQ(commands, std::vector<int>{kIdCancel}) << closeButton;
    }
}

TEST_F(DialogTest, TheDialogStaysOpenUntilItsProcedureEndsIt) {
    bool stillOpen = false;
    testing::QueueDialogDriver([&](Dialog& dialog) {
        testing::PressKey(dialog, Key::kEscape);
        testing::CloseWindow(dialog);
        stillOpen = testing::ClickItem(dialog, kIdOk);
    });
    const int result = RunModalDialog(kTemplate, {nullptr, [&](Dialog& dialog, int id) {
                                                      commands.push_back(id);
                                                      if (id == kIdOk) {
                                                          EndDialog(dialog, 3);
                                                      }
                                                  }});
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, 3);
    EXPECT_EQ(commands, (std::vector<int>{kIdCancel, kIdCancel, kIdOk}));
}

TEST_F(DialogTest, ADigitsOnlyEditRefusesOtherKeys) {
    std::string digits, free;
    testing::QueueDialogDriver([&](Dialog& dialog) {
        testing::TypeIntoItem(dialog, kEditSize, "12a3-4 5.");
        testing::TypeIntoItem(dialog, kComboFirst, "12a");
        digits = GetItemText(dialog, kEditSize);
        free = GetItemText(dialog, kComboFirst);
    });
    RunModalDialog(kTemplate, Noting());
    EXPECT_EQ(digits, "12345");
    EXPECT_EQ(free, "12a");
}

TEST_F(DialogTest, TabFollowsTemplateOrderOverEnabledVisibleTabStops) {
    std::vector<int> forward, back;
    testing::QueueDialogDriver([&](Dialog& dialog) {
        forward.push_back(testing::FocusedItem(dialog));
        for (int i = 0; i < 8; ++i) {
            testing::PressKey(dialog, Key::kTab);
            forward.push_back(testing::FocusedItem(dialog));
        }
        testing::PressKey(dialog, Key::kBacktab);
        back.push_back(testing::FocusedItem(dialog));
        testing::PressKey(dialog, Key::kBacktab);
        back.push_back(testing::FocusedItem(dialog));
    });
    RunModalDialog(kTemplate, Noting());
    EXPECT_EQ(forward, (std::vector<int>{kEditSize, kCheckKeep, kComboFirst, kListDataBits,
                                         kListBaud, kIdOk, kIdCancel, kComboName, kEditSize}));
    EXPECT_EQ(back, (std::vector<int>{kComboName, kIdCancel}));
}

TEST_F(DialogTest, TheFirstTabStopOpensWithItsTextSelected) {
    std::string field;
    testing::QueueDialogDriver([&](Dialog& dialog) {
        testing::TypeText(u"5");
        field = GetItemText(dialog, kEditSize);
    });
    RunModalDialog(kTemplate,
                   Noting([](Dialog& dialog) { SetItemText(dialog, kEditSize, "1000"); }));
    EXPECT_EQ(field, "5") << "typing replaces the selected text";
}

TEST_F(DialogTest, ProceduresFillReadAndSelectListsById) {
    struct Seen {
        std::string first, dataBits, baud, name;
        int firstSelected = -2, dataBitsSelected = -2, baudSelected = -2, nameSelected = -2;
        std::vector<std::string> names;
        int nameFindUpper = -2, nameFindLower = -2;
    } open, picked;
    const auto look = [](Dialog& dialog, Seen& seen) {
        seen.first = GetItemText(dialog, kComboFirst);
        seen.firstSelected = GetListSelection(dialog, kComboFirst);
        seen.dataBits = GetItemText(dialog, kListDataBits);
        seen.dataBitsSelected = GetListSelection(dialog, kListDataBits);
        seen.baudSelected = GetListSelection(dialog, kListBaud);
        seen.baud = GetListEntryText(dialog, kListBaud, seen.baudSelected);
        seen.name = GetItemText(dialog, kComboName);
        seen.nameSelected = GetListSelection(dialog, kComboName);
        for (int i = 0; i < ListEntryCount(dialog, kComboName); ++i) {
            seen.names.push_back(GetListEntryText(dialog, kComboName, i));
        }
        seen.nameFindUpper = FindListEntryExact(dialog, kComboName, "COM3");
        seen.nameFindLower = FindListEntryExact(dialog, kComboName, "com3");
    };
    const auto init = [](Dialog& dialog) {
        for (int i = 1; i <= 10; ++i) {
            AddListEntry(dialog, kComboFirst, std::to_string(i));
        }
        SelectListEntry(dialog, kComboFirst, 2);
        for (const char* bits : {"4", "5", "6", "7", "8"}) {
            AddListEntry(dialog, kListDataBits, bits);
        }
        for (const char* rate : {"300", "1200", "9600"}) {
            AddListEntry(dialog, kListBaud, rate);
        }
        SelectListEntry(dialog, kListBaud, FindListEntryExact(dialog, kListBaud, "9600"));
        for (const char* name : {"COM3", "com1", "COM2", "Com10"}) {
            AddListEntry(dialog, kComboName, name);
        }
        SetItemText(dialog, kComboName, "COM7");
    };
    testing::QueueDialogDriver([&](Dialog& dialog) {
        look(dialog, open);
        testing::ChooseListEntry(dialog, kListDataBits, 4);
        testing::ChooseListEntry(dialog, kListBaud, 0);
        testing::ChooseListEntry(dialog, kComboName, 2);
        testing::TypeIntoItem(dialog, kComboFirst, "12");
        look(dialog, picked);
    });
    RunModalDialog(kTemplate, Noting(init));

    EXPECT_EQ(open.first, "3");
    EXPECT_EQ(open.firstSelected, 2);
    EXPECT_EQ(open.dataBits, "") << "adding entries selects none";
    EXPECT_EQ(open.dataBitsSelected, -1);
    EXPECT_EQ(open.baud, "9600");
    EXPECT_EQ(open.baudSelected, 2);
    EXPECT_EQ(open.names, (std::vector<std::string>{"com1", "Com10", "COM2", "COM3"}));
    EXPECT_EQ(open.name, "COM7");
    EXPECT_EQ(open.nameSelected, -1);
    EXPECT_EQ(open.nameFindUpper, 3);
    EXPECT_EQ(open.nameFindLower, -1) << "an exact entry matches case too";

    EXPECT_EQ(picked.dataBits, "8");
    EXPECT_EQ(picked.dataBitsSelected, 4);
    EXPECT_EQ(picked.baud, "300");
    EXPECT_EQ(picked.name, "COM2");
    EXPECT_EQ(picked.nameSelected, 2);
    EXPECT_EQ(picked.first, "12");
    EXPECT_EQ(picked.firstSelected, -1) << "a typed text that is no entry selects none";
}

TEST_F(DialogTest, SelectingOutsideTheListFailsAndMinusOneClears) {
    std::vector<bool> results;
    std::vector<int> selections;
    std::string field;
    testing::QueueDialogDriver([&](Dialog& dialog) {
        AddListEntry(dialog, kListBaud, "300");
        AddListEntry(dialog, kComboFirst, "1");
        results = {SelectListEntry(dialog, kListBaud, 1), SelectListEntry(dialog, kListBaud, -2),
                   SelectListEntry(dialog, kListBaud, 0), SelectListEntry(dialog, kComboFirst, 0)};
        selections.push_back(GetListSelection(dialog, kListBaud));
        SelectListEntry(dialog, kListBaud, -1);
        SelectListEntry(dialog, kComboFirst, -1);
        selections.push_back(GetListSelection(dialog, kListBaud));
        selections.push_back(GetListSelection(dialog, kComboFirst));
        field = GetItemText(dialog, kComboFirst);
    });
    RunModalDialog(kTemplate, Noting());
    EXPECT_EQ(results, (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(selections, (std::vector<int>{0, -1, -1}));
    EXPECT_EQ(field, "");
}

TEST_F(DialogTest, TextsAreReadUpToTheGivenLength) {
    std::vector<std::string> texts;
    testing::QueueDialogDriver([&](Dialog& dialog) {
        SetItemText(dialog, kEditSize, "123456789");
        texts = {GetItemText(dialog, kEditSize, 4), GetItemText(dialog, kEditSize, 0),
                 GetItemText(dialog, kEditSize), GetItemText(dialog, kCheckKeep),
                 GetItemText(dialog, 4242)};
    });
    RunModalDialog(kTemplate, Noting());
    EXPECT_EQ(texts, (std::vector<std::string>{"1234", "", "123456789", "&Keep sending", ""}));
}

TEST_F(DialogTest, CheckBoxesToggleByClickAndAccessKeyAndByTheProcedure) {
    std::vector<bool> states;
    bool clickedDisabled = true;
    testing::QueueDialogDriver([&](Dialog& dialog) {
        states.push_back(IsItemChecked(dialog, kCheckKeep));
        testing::ClickItem(dialog, kCheckKeep);
        states.push_back(IsItemChecked(dialog, kCheckKeep));
        testing::PressAccessKey(dialog, 'k');
        testing::WaitUntil([&] { return IsItemChecked(dialog, kCheckKeep); });
        states.push_back(IsItemChecked(dialog, kCheckKeep));
        EnableItem(dialog, kIdOk, false);
        clickedDisabled = testing::ClickItem(dialog, kIdOk);
    });
    RunModalDialog(kTemplate, Noting([](Dialog& dialog) { CheckItem(dialog, kCheckKeep, true); }));
    EXPECT_EQ(states, (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(clickedDisabled);
    EXPECT_TRUE(commands.empty()) << "a check box's click is not a command";
}

TEST_F(DialogTest, EndingInInitNeverShowsTheDialog) {
    bool driven = false;
    testing::QueueDialogDriver([&](Dialog& dialog) {
        driven = true;
        EndDialog(dialog, 8);
    });
    EXPECT_EQ(RunModalDialog(kTemplate, {[](Dialog& dialog) { EndDialog(dialog, 7); }, nullptr}),
              7);
    EXPECT_FALSE(driven);
    EXPECT_EQ(RunModalDialog(kTemplate, {}), 8) << "the driver waits for the next dialog";
    EXPECT_TRUE(driven);
    EXPECT_EQ(testing::TakeOpenedDialogs(), (std::vector<int>{900, 900}));
}

TEST_F(DialogTest, WithoutADriverADialogGetsEscapeAndALeftOpenOneEnds) {
    EXPECT_EQ(RunModalDialog(kTemplate, Noting()), 0);
    EXPECT_EQ(commands, std::vector<int>{kIdCancel});
    testing::QueueDialogDriver([](Dialog&) {});
    EXPECT_EQ(RunModalDialog(kTemplate, {}), testing::kLeftOpen);
}

}  // namespace
}  // namespace ui
