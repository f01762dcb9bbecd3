// The loopback test as the screen shows it, over virtual ports: the lines, the judgement of
// faulty lines, the port 10 = COM0 rule, ports that cannot be opened, and Stop.
#include <mutex>
#include <string>
#include <vector>

#include "device/connection/device_state.h"
#include "device/connection/port_connection.h"
#include "device/connection/virtual_line.h"
#include "device/loopback/loopback_test.h"
#include "device/resource_ids.h"
#include "device/window/window_fixture.h"

namespace device {
namespace {

using testing::WindowTest;
using ui::testing::ShownBox;

// Every line the test writes, in order, as well as on the screen.
std::mutex recordLock;
std::vector<std::string> recorded;

void RecordLine(const char16_t* text, int row) {
    WriteScreenLine(text, row);
    const std::u16string line(text);
    std::lock_guard guard(recordLock);
    recorded.emplace_back(line.begin(), line.end());
}

// The first recorded line that starts with `prefix`, or "".
std::string FirstLine(const std::string& prefix) {
    std::lock_guard guard(recordLock);
    for (const std::string& line : recorded) {
        if (line.starts_with(prefix)) {
            return line;
        }
    }
    return "";
}

class LoopbackTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        loopbackReadTimeout = 100;  // an open line fails a pass in 0.1 s instead of 10 s
        deviceState.loopRun.writeLine = RecordLine;
        std::lock_guard guard(recordLock);
        recorded.clear();
    }
    void TearDown() override {
        WindowTest::TearDown();
        loopbackReadTimeout = 10000;
    }

    static void Start(int first, int count, std::uint32_t size = 1000) {
        deviceState.loopFirstPort = first;
        deviceState.loopPortCount = count;
        deviceState.packageSize = size;
        ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdLoopbackStart));
    }

    // Waits until `row` reports at least `passes` passes; returns its text.
    static std::string RowAfter(int row, int passes) {
        ui::testing::WaitUntil([&] { return PassesOnRow(row) >= passes; });
        const std::u16string text = Row(row);
        return std::string(text.begin(), text.end());
    }

    static int PassesOnRow(int row) {
        const std::u16string text = Row(row);
        return text.size() > 11 ? std::stoi(std::string(text.begin() + 5, text.begin() + 11)) : 0;
    }
};

TEST_F(LoopbackTest, LoopbackPlugsSucceedLineAfterLineUnderTheHeader) {
    Start(1, 1);
    EXPECT_FALSE(ui::IsMenuItemEnabled(kIdLoopbackStart));
    EXPECT_TRUE(ui::IsMenuItemEnabled(kIdLoopbackStop));
    EXPECT_EQ(Row(0), u"PORT  COUNT  ERROR    STATUS");
    // The count comes from the same reading of the row: the run goes on meanwhile.
    const std::string line = RowAfter(1, 3);
    const int passes = std::stoi(line.substr(5, 6));
    char expected[64];
    std::snprintf(expected, sizeof expected, "COM1  %5d      0    Success", passes);
    EXPECT_EQ(line, expected);
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdLoopbackStop));
    EXPECT_TRUE(ui::IsMenuItemEnabled(kIdLoopbackStart));
    EXPECT_FALSE(ui::IsMenuItemEnabled(kIdLoopbackStop));
    EXPECT_EQ(deviceState.loopRun.threads, 0);
}

TEST_F(LoopbackTest, EachFaultOfTheLineHasItsStatus) {
    // COM2 is an open line; COM3 changes a byte of every pass; COM4 writes short once.
    ASSERT_TRUE(serial::ChangeTransmittedByte(3, 5, 0x40));
    ASSERT_TRUE(serial::ShortenNextWrite(4, 10));
    Start(2, 3);
    EXPECT_EQ(RowAfter(1, 2).substr(0, 4), "COM2");
    EXPECT_EQ(FirstLine("COM2      2"), "COM2      2      2    Read count error");
    RowAfter(2, 2);
    RowAfter(3, 2);
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdLoopbackStop));
    // One faulty pass each, then the lines are whole again.
    EXPECT_EQ(FirstLine("COM3      1"), "COM3      1      1    Read data error");
    EXPECT_EQ(FirstLine("COM3      2"), "COM3      2      1    Success");
    EXPECT_EQ(FirstLine("COM4      1"), "COM4      1      1    Write Error");
}

TEST_F(LoopbackTest, PortTenIsCom0AndAPortThatCannotOpenGetsOneBoxAndAnEmptyRow) {
    Start(7, 4);  // COM7 is missing; COM8, COM9 and port 10 (COM0) run
    EXPECT_EQ(ui::testing::TakeShownBoxes(),
              (std::vector<ShownBox>{{"Error", "Cannot open COM7\n", false}}));
    EXPECT_TRUE(ui::IsMenuItemEnabled(kIdLoopbackStop)) << "the test runs";
    EXPECT_EQ(RowAfter(2, 1).substr(0, 4), "COM8");
    EXPECT_EQ(RowAfter(3, 1).substr(0, 4), "COM9");
    EXPECT_EQ(RowAfter(4, 1).substr(0, 5), "COM0 ");
    EXPECT_EQ(Row(1), u"");
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdLoopbackStop));
}

TEST_F(LoopbackTest, StartStopStartBeginsAgainFromZero) {
    Start(1, 1);
    RowAfter(1, 5);
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdLoopbackStop));
    {
        std::lock_guard guard(recordLock);
        recorded.clear();
    }
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdLoopbackStart));
    RowAfter(1, 1);
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdLoopbackStop));
    std::lock_guard guard(recordLock);
    ASSERT_GE(recorded.size(), 2u);
    EXPECT_EQ(recorded[0], "PORT  COUNT  ERROR    STATUS");
    EXPECT_EQ(recorded[1], "COM1      1      0    Success") << "every counter starts again";
}

TEST_F(LoopbackTest, StopWithTenPortsEndsEveryThreadAtOnce) {
    // COM2 is an open line: its reader sits in a read when Stop comes.
    loopbackReadTimeout = 60000;
    Start(1, 10);
    RowAfter(10, 2);
    EXPECT_EQ(deviceState.loopRun.threads, 18) << "nine ports open: COM7 is missing";
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdLoopbackStop));
    EXPECT_EQ(deviceState.loopRun.threads, 0);
    EXPECT_EQ(Row(2), u"") << "the open line's pass never ended, so it has no line";
}

TEST_F(LoopbackTest, StartIsRefusedWhileTheTerminalIsConnectedOrTheRangeDoesNotFit) {
    const struct {
        bool connected;
        int first;
        int count;
        std::uint32_t size;
        const char* caption;
        const char* text;
    } cases[] = {
        {true, 1, 1, 1000, "Info", "Please stop TTY connection first."},
        {false, 5, 10, 1000, "Error",
         "First port 5 with 10 ports does not fit: the test covers ports 1 to 10 (port 10 is "
         "COM0)."},
        {false, -1, 2, 1000, "Error",
         "First port -1 with 2 ports does not fit: the test covers ports 1 to 10 (port 10 is "
         "COM0)."},
        {false, 1, 0, 1000, "Error",
         "First port 1 with 0 ports does not fit: the test covers ports 1 to 10 (port 10 is "
         "COM0)."},
        {false, 1, 1, 0, "Error",
         "A package size of 0 has nothing to test: choose at least 1 byte."},
    };
    for (const auto& c : cases) {
        if (c.connected) {
            Connect();
        }
        Start(c.first, c.count, c.size);
        EXPECT_EQ(ui::testing::TakeShownBoxes(),
                  (std::vector<ShownBox>{{c.caption, c.text, false}}));
        EXPECT_TRUE(ui::IsMenuItemEnabled(kIdLoopbackStart)) << c.text;
        EXPECT_FALSE(deviceState.loopRun.running);
        Disconnect();
    }
}

TEST(LoopbackJudgement, TheFirstMatchingRowWins) {
    const struct {
        unsigned status;
        const char* text;
        bool error;
    } cases[] = {
        {kWriteComplete | kReadMatch, "Success", false},
        {kWriteShort | kReadMatch, "Write Error", true},
        {kWriteShort | kReadShort, "Write Error", true},
        {kWriteComplete | kReadShort, "Read count error", true},
        {kWriteComplete | kReadMismatch, "Read data error", true},
        {kWriteComplete, "Unknown Error", true},
    };
    for (const auto& c : cases) {
        bool error = false;
        EXPECT_STREQ(JudgeLoopbackPass(c.status, &error), c.text) << c.status;
        EXPECT_EQ(error, c.error) << c.status;
    }
    EXPECT_EQ(LoopbackResultLine(0, 1234567890, 7, "Read data error"),
              "COM0  1234567890      7    Read data error");
}

}  // namespace
}  // namespace device
