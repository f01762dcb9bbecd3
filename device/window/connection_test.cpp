// The terminal's connection as a user meets it: the start state, Connect and its failure,
// the lamps, received bytes, breaks and line errors, No Read, DTR, and the ways the program
// ends.
#include <thread>
#include <vector>

#include "device/connection/port_connection.h"
#include "device/connection/reader_thread.h"
#include "device/connection/serial_api.h"
#include "device/connection/virtual_line.h"
#include "device/resource_ids.h"
#include "device/window/window_fixture.h"

namespace device {
namespace {

using testing::WindowTest;
using ui::testing::ShownBox;
using ui::testing::WaitUntil;

constexpr int kLamps[] = {kIdDtr,     kIdRts,      kIdDsrLamp, kIdCtsLamp,
                          kIdDcdLamp, kIdRingLamp, kIdNoRead};

void SetPortName(const wchar_t* name) {
    std::wcscpy(deviceState.portSettings.portName, name);
}

bool Connected() {
    return deviceState.portHandle != serial::INVALID_HANDLE_VALUE;
}

TEST_F(WindowTest, StartsIdleWithUncheckedLampsAndTypingGoesToTheView) {
    for (const int id :
         {kIdConnect, kIdPortInfo, kIdExit, kIdSettings, kIdSendData, kIdSetBreak, kIdClearBreak,
          kIdClearBuffer, kIdLoopbackSettings, kIdLoopbackStart, kIdAbout}) {
        EXPECT_TRUE(ui::IsMenuItemEnabled(id)) << id;
    }
    EXPECT_FALSE(ui::IsMenuItemEnabled(kIdDisconnect));
    EXPECT_FALSE(ui::IsMenuItemEnabled(kIdLoopbackStop));
    for (const int id : kLamps) {
        EXPECT_FALSE(ui::IsChecked(id)) << id;
    }
    EXPECT_TRUE(ui::testing::TerminalViewHasFocus());
    // Typed with no port open: nothing is sent and nothing is shown.
    ui::testing::TypeText(u"abc");
    EXPECT_EQ(Row(0), u"");
}

TEST_F(WindowTest, ConnectFailureNamesThePortAndLeavesTheMenu) {
    SetPortName(L"COM7");
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    EXPECT_EQ(ui::testing::TakeShownBoxes(),
              (std::vector<ShownBox>{{"Error", "Unable to open device COM7.", false}}));
    EXPECT_FALSE(Connected());
    EXPECT_TRUE(ui::IsMenuItemEnabled(kIdConnect));
    EXPECT_FALSE(ui::IsMenuItemEnabled(kIdDisconnect));

    // A rate the line refuses fails the same way, and no port stays open.
    SetPortName(L"COM1");
    deviceState.portSettings.dcb.ByteSize = 4;
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    EXPECT_EQ(ui::testing::TakeShownBoxes(),
              (std::vector<ShownBox>{{"Error", "Unable to open device COM1.", false}}));
    EXPECT_FALSE(Connected());
}

TEST_F(WindowTest, LampsFollowTheModemLinesOfALoopbackPlug) {
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ASSERT_TRUE(Connected());
    EXPECT_FALSE(ui::IsMenuItemEnabled(kIdConnect));
    EXPECT_TRUE(ui::IsMenuItemEnabled(kIdDisconnect));
    // DTR feeds DSR and DCD, RTS feeds CTS.
    EXPECT_TRUE(WaitUntil([] {
        return ui::IsChecked(kIdDtr) && ui::IsChecked(kIdRts) && ui::IsChecked(kIdDsrLamp) &&
               ui::IsChecked(kIdCtsLamp) && ui::IsChecked(kIdDcdLamp) &&
               !ui::IsChecked(kIdRingLamp);
    }));

    // Unticking RTS drops CTS; the line event then ticks both boxes again, although RTS
    // stays low.
    ASSERT_TRUE(ui::testing::ClickCheckBox(kIdRts));
    EXPECT_TRUE(WaitUntil([] { return !ui::IsChecked(kIdCtsLamp) && ui::IsChecked(kIdRts); }));
    EXPECT_TRUE(ui::IsChecked(kIdDsrLamp));
    EXPECT_TRUE(ui::testing::TerminalViewHasFocus());

    ASSERT_TRUE(serial::SetRingIndicator(1, true));
    EXPECT_TRUE(WaitUntil([] { return ui::IsChecked(kIdRingLamp); }));
    EXPECT_TRUE(ui::testing::TakeShownBoxes().empty());
}

TEST_F(WindowTest, DtrUntickedIsTickedAgainByTheNextLineEvent) {
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ASSERT_TRUE(WaitUntil([] { return ui::IsChecked(kIdDsrLamp); }));
    ASSERT_TRUE(ui::testing::ClickCheckBox(kIdDtr));
    // DTR low drops DSR and DCD; that change is itself a line event, which ticks DTR again.
    EXPECT_TRUE(WaitUntil([] {
        return !ui::IsChecked(kIdDsrLamp) && !ui::IsChecked(kIdDcdLamp) && ui::IsChecked(kIdDtr);
    }));
    serial::DWORD status = 0;
    ASSERT_TRUE(serial::GetCommModemStatus(deviceState.portHandle, &status));
    EXPECT_EQ(status & serial::MS_DSR_ON, 0u) << "DTR stays low";
}

// Ticks from a reader are gathered until the user-interface thread applies them: the last one
// for a box wins, and a tick that only a later one undid is never lost.
TEST_F(WindowTest, LampTicksFromAnotherThreadLandWithTheLastOneWinning) {
    struct Step {
        std::vector<bool> ticks;  // given from a worker thread, in order
        bool shown;               // what the ring lamp shows once they have landed
    };
    const Step steps[] = {
        {{true, false, true, false, true}, true},
        {{true}, true},
        {{false, true, false}, false},
        {{true}, true},
    };
    for (const Step& step : steps) {
        std::thread worker([&step] {
            for (const bool tick : step.ticks) {
                ui::SetCheck(kIdRingLamp, tick);
            }
        });
        worker.join();
        ui::testing::RunPostedWork();
        EXPECT_EQ(ui::IsChecked(kIdRingLamp), step.shown);
    }
}

TEST_F(WindowTest, TypedKeysComeBackOverTheLineInOrder) {
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ui::testing::TypeText(u"hello\r\nworld");
    EXPECT_TRUE(WaitForRow(1, u"world"))
        << "row 1 reads '" << std::string(Row(1).begin(), Row(1).end()) << "'";
    EXPECT_EQ(Row(0), u"hello");
}

TEST_F(WindowTest, ABreakAndTwoLineErrorsAreReportedAfterTheBytesOfTheirEvent) {
    ui::testing::SetWorkerBoxes(ui::testing::WorkerBoxes::kHold);
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ASSERT_TRUE(serial::InjectLineFault(1, serial::LineFault::kBreak));
    ASSERT_TRUE(WaitUntil([] { return ui::testing::OpenWorkerBoxCount() == 1; }));

    // While the box is open the reader reads nothing: both bytes and both errors wait for
    // its next event.
    ASSERT_TRUE(serial::InjectLineFault(1, serial::LineFault::kFrameError));
    ASSERT_TRUE(SendChar('a'));
    ASSERT_TRUE(serial::InjectLineFault(1, serial::LineFault::kParityError));
    ASSERT_TRUE(SendChar('b'));
    EXPECT_EQ(Row(0), u"");
    ASSERT_TRUE(ui::testing::DismissOldestWorkerBox());

    ASSERT_TRUE(WaitUntil([] { return ui::testing::OpenWorkerBoxCount() == 1; }));
    EXPECT_EQ(Row(0), u"ab") << "the bytes are on the screen before the box";
    ASSERT_TRUE(ui::testing::DismissOldestWorkerBox());
    EXPECT_EQ(ui::testing::TakeShownBoxes(),
              (std::vector<ShownBox>{{"Error", "Break Event detected", true},
                                     {"Error", "Error Event:Framing,Parity,", true}}));
}

TEST(LineErrorText, NamesEveryListedBitInOrderWithItsComma) {
    const struct {
        serial::DWORD errors;
        const char* text;
    } cases[] = {
        {serial::CE_FRAME | serial::CE_RXPARITY, "Error Event:Framing,Parity,"},
        {serial::CE_TXFULL | serial::CE_RXOVER | serial::CE_OVERRUN | serial::CE_RXPARITY |
             serial::CE_FRAME,
         "Error Event:Framing,Parity,Overrun,Overflow,TxFull,"},
        {serial::CE_BREAK, "Error Event:"},
        {0, "Error Event:"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LineErrorText(c.errors), c.text) << c.errors;
    }
}

TEST_F(WindowTest, NoReadLeavesDataInTheDriverUntilTheNextByte) {
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ASSERT_TRUE(WaitUntil([] { return ui::IsChecked(kIdDsrLamp); }));
    ASSERT_TRUE(ui::testing::ClickCheckBox(kIdNoRead));
    ui::testing::TypeText(u"ab");
    // A line change after the bytes: once its refresh shows, the reader has seen every event
    // before it, and read nothing.
    ASSERT_TRUE(ui::testing::ClickCheckBox(kIdDtr));
    ASSERT_TRUE(WaitUntil([] { return !ui::IsChecked(kIdDsrLamp) && ui::IsChecked(kIdDtr); }));
    EXPECT_EQ(Row(0), u"");

    // Unticked, the next event without data reads nothing either. The refresh ticked DTR
    // although the line is low: the first click unticks it, the second raises DTR.
    ASSERT_TRUE(ui::testing::ClickCheckBox(kIdNoRead));
    ASSERT_TRUE(ui::testing::ClickCheckBox(kIdDtr));
    ASSERT_TRUE(ui::testing::ClickCheckBox(kIdDtr));
    ASSERT_TRUE(WaitUntil([] { return ui::IsChecked(kIdDsrLamp); }));
    EXPECT_EQ(Row(0), u"");
    ui::testing::TypeText(u"c");
    EXPECT_TRUE(WaitForRow(0, u"abc"));
}

TEST_F(WindowTest, BreakCommandsDoNothingWithoutAPortAndWorkWithOne) {
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdSetBreak));
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdClearBreak));
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdDisconnect) == false);
    ASSERT_TRUE(ui::testing::ClickCheckBox(kIdDtr));
    EXPECT_TRUE(ui::IsChecked(kIdDtr)) << "the box toggles itself";
    EXPECT_TRUE(ui::testing::TakeShownBoxes().empty());

    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdSetBreak));
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdClearBreak));
    // The plug hears its own break.
    std::vector<ShownBox> boxes;
    EXPECT_TRUE(WaitUntil([&] {
        for (const ShownBox& box : ui::testing::TakeShownBoxes()) {
            boxes.push_back(box);
        }
        return !boxes.empty();
    }));
    EXPECT_EQ(boxes, (std::vector<ShownBox>{{"Error", "Break Event detected", true}}));
}

TEST_F(WindowTest, DisconnectEndsTheReaderWithoutAMessage) {
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdDisconnect));
    EXPECT_FALSE(Connected());
    EXPECT_TRUE(ui::IsMenuItemEnabled(kIdConnect));
    EXPECT_FALSE(ui::IsMenuItemEnabled(kIdDisconnect));
    EXPECT_TRUE(WaitUntil([] { return deviceState.readerThreads == 0; }));
    EXPECT_TRUE(ui::testing::TakeShownBoxes().empty());
}

TEST_F(WindowTest, AnOldReaderWithItsBoxOpenNeverReadsTheNewConnection) {
    ui::testing::SetWorkerBoxes(ui::testing::WorkerBoxes::kHold);
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ASSERT_TRUE(serial::InjectLineFault(1, serial::LineFault::kBreak));
    ASSERT_TRUE(WaitUntil([] { return ui::testing::OpenWorkerBoxCount() == 1; }));
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdDisconnect));
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    EXPECT_EQ(deviceState.readerThreads, 2);

    ASSERT_TRUE(ui::testing::DismissOldestWorkerBox());
    ASSERT_TRUE(WaitUntil([] { return deviceState.readerThreads == 1; }));
    ui::testing::TypeText(u"xyz");
    EXPECT_TRUE(WaitForRow(0, u"xyz")) << "every byte reaches the screen through the new reader";
}

TEST_F(WindowTest, ExitWhileConnectedWaitsForTheReaderEvenWithItsBoxOpen) {
    ui::testing::SetWorkerBoxes(ui::testing::WorkerBoxes::kHold);
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdConnect));
    ASSERT_TRUE(serial::InjectLineFault(1, serial::LineFault::kBreak));
    ASSERT_TRUE(WaitUntil([] { return ui::testing::OpenWorkerBoxCount() == 1; }));
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdExit));
    EXPECT_FALSE(ui::MainWindowExists());
    EXPECT_EQ(deviceState.readerThreads, 0);
    EXPECT_FALSE(Connected());
}

TEST_F(WindowTest, AboutNamesTheProgramAndItsVersion) {
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdAbout));
    const std::vector<ShownBox> boxes = ui::testing::TakeShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "About...");
    EXPECT_EQ(boxes[0].text.rfind("termivo " KIT_VERSION, 0), 0u) << boxes[0].text;
}

}  // namespace
}  // namespace device
