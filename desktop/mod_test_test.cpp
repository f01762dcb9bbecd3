// The port range, the loopback pass and its counters, on virtual ports.
#include "desktop/mod_test.h"

#include <functional>
#include <string>
#include <vector>

#include "desktop/test_support.h"
#include "device/connection/virtual_line.h"
#include "platform/ui_app.h"

namespace haberon {
namespace {

using Texts = std::vector<std::string>;

class ModTest : public testing::HaberonTest {
  protected:
    // Opens the range with its rows, runs `passes` passes as Go does at 57600, refreshing the
    // rows after each.
    void Run(std::int16_t lower, std::int16_t upper, int passes) {
        OpenPortRange(lower, upper, 57600);
        AddResultRows(lower, upper);
        for (int i = 0; i < passes; ++i) {
            RunLoopbackPass(lower, upper, 57600);
            RefreshResultRows(lower, upper);
        }
    }
};

TEST_F(ModTest, AMissingPortShowsMinusOneAndCountsSendFailuresOnly) {
    serial::testing::UseMap("COM1 loopback\nCOM2 /dev/serialkit-test-missing\n");
    Form();
    Run(1, 2, 3);
    EXPECT_EQ(Row(0), (Texts{"1", "3", "0", "3", "0", "0"}));
    EXPECT_EQ(Row(1), (Texts{"-1", "0", "3", "0", "0", "0"}));
    ClosePortRange(1, 2);
}

TEST_F(ModTest, EachLineFaultLandsInItsOwnCounter) {
    struct Case {
        const char* name;
        const char* map;
        std::function<void()> fault;
        Texts row;
    };
    const Case cases[] = {
        {"loopback plug", "COM4 loopback\n", [] {}, {"4", "2", "0", "2", "0", "0"}},
        {"open line", "COM4 open-line\n", [] {}, {"4", "2", "0", "0", "2", "0"}},
        // 127 bytes come back within the time-out: a receive failure, not a compare failure.
        {"dropped byte",
         "COM4 loopback\n",
         [] { serial::DropTransmittedByte(4, 5); },
         {"4", "2", "0", "1", "1", "0"}},
        {"changed byte",
         "COM4 loopback\n",
         [] { serial::ChangeTransmittedByte(4, 10, 0x40); },
         {"4", "2", "0", "2", "0", "1"}},
        // The count a write reports is not looked at: the write is sent, the read comes short.
        {"short write",
         "COM4 loopback\n",
         [] { serial::ShortenNextWrite(4, 100); },
         {"4", "2", "0", "1", "1", "0"}},
        {"port gone",
         "COM4 loopback\n",
         [] { serial::SetPortVanished(4, true); },
         {"4", "0", "2", "0", "0", "0"}},
    };
    Form();
    for (const Case& c : cases) {
        serial::testing::UseMap(c.map);
        ClearResultRows();
        OpenPortRange(4, 4, 57600);
        AddResultRows(4, 4);
        c.fault();
        for (int pass = 0; pass < 2; ++pass) {
            RunLoopbackPass(4, 4, 57600);
            RefreshResultRows(4, 4);
        }
        EXPECT_EQ(Row(0), c.row) << c.name;
        ClosePortRange(4, 4);
    }
}

TEST_F(ModTest, ALowerPortAboveTheUpperTestsNothing) {
    serial::testing::UseMap("COM1 loopback\nCOM2 loopback\n");
    Form();
    Run(2, 1, 2);
    EXPECT_TRUE(state.portRecords.empty());
    EXPECT_EQ(ui::ListViewRowCount(*state.frmMain, kLvResults), 0);
    ClosePortRange(2, 1);
}

TEST_F(ModTest, PortZeroIsNeverOpenedSoComTenStaysFree) {
    serial::testing::UseMap("COM10 loopback\n");
    Form();
    Run(0, 0, 1);
    EXPECT_EQ(Row(0), (Texts{"-1", "0", "1", "0", "0", "0"}));
    const serial::HANDLE com10 = serial::testing::Open("\\\\.\\COM10");
    EXPECT_NE(com10, serial::INVALID_HANDLE_VALUE);
    serial::CloseHandle(com10);
    ClosePortRange(0, 0);
}

TEST_F(ModTest, CountersStopAt32767) {
    serial::testing::UseMap("COM1 loopback\nCOM2 /dev/serialkit-test-missing\nCOM3 open-line\n");
    Form();
    OpenPortRange(1, 3, 57600);
    AddResultRows(1, 3);
    for (PortRecord& record : state.portRecords) {
        record.sent = record.sendFail = record.received = record.receiveFail = 32766;
    }
    state.portRecords[0].compFail = 32767;
    serial::ChangeTransmittedByte(1, 0, 1);
    for (int pass = 0; pass < 2; ++pass) {
        RunLoopbackPass(1, 3, 57600);
    }
    RefreshResultRows(1, 3);
    EXPECT_EQ(Row(0), (Texts{"1", "32767", "32766", "32767", "32766", "32767"}));
    EXPECT_EQ(Row(1), (Texts{"-1", "32766", "32767", "32766", "32766", "0"}));
    EXPECT_EQ(Row(2), (Texts{"3", "32767", "32766", "32766", "32767", "0"}));
    ClosePortRange(1, 3);
}

TEST_F(ModTest, CloseResetsTheRecordsAndAFailedCloseKeepsOneAsItWas) {
    serial::testing::UseMap("COM1 loopback\nCOM2 loopback\n");
    Form();
    Run(1, 2, 1);
    // The second port's handle is closed behind the module's back: its close fails.
    const serial::HANDLE stale = state.portRecords[1].handle;
    serial::CloseHandle(stale);
    ClosePortRange(1, 2);
    EXPECT_EQ(state.portRecords[0].handle, serial::INVALID_HANDLE_VALUE);
    EXPECT_EQ(state.portRecords[0].id, 0);
    EXPECT_EQ(state.portRecords[0].sent, 0);
    EXPECT_EQ(state.portRecords[1].handle, stale);
    EXPECT_EQ(state.portRecords[1].id, 2);
    EXPECT_EQ(state.portRecords[1].sent, 1);
    EXPECT_EQ(Row(0), (Texts{"1", "1", "0", "1", "0", "0"})) << "the list keeps the last counts";
    EXPECT_TRUE(ui::testing::TakeShownBoxes().empty()) << "nothing is reported";
    for (const char* name : {"\\\\.\\COM1", "\\\\.\\COM2"}) {
        const serial::HANDLE again = serial::testing::Open(name);
        EXPECT_NE(again, serial::INVALID_HANDLE_VALUE) << name << " is free again";
        serial::CloseHandle(again);
    }
}

// What the first row's "# Sent" shows at every yield of one pass over two ports.
Texts SentShownAtYields(std::int32_t rate) {
    Texts seen;
    bool watching = true;
    std::function<void()> watch = [&] {
        if (watching) {
            seen.push_back(ui::GetListViewText(*state.frmMain, kLvResults, 0, kColumnSent));
            ui::PostToUi(watch);
        }
    };
    OpenPortRange(1, 2, rate);
    AddResultRows(1, 2);
    ui::PostToUi(watch);
    RunLoopbackPass(1, 2, rate);
    watching = false;
    // The watch posted at the last yield runs now, while what it refers to still exists.
    ui::YieldToEvents();
    ClosePortRange(1, 2);
    ClearResultRows();
    return seen;
}

TEST_F(ModTest, At38400AndBelowThePassRefreshesAfterEveryPort) {
    serial::testing::UseMap("COM1 loopback\nCOM2 loopback\n");
    Form();
    // Yields: after port 1's write and read, then after port 2's write and read.
    EXPECT_EQ(SentShownAtYields(38400), (Texts{"", "", "1", "1"}));
    EXPECT_EQ(SentShownAtYields(57600), (Texts{"", "", "", ""}));
}

}  // namespace
}  // namespace haberon
