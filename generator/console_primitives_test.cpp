#include "generator/console_primitives.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "generator/test_support.h"

namespace zandinst {
namespace {

std::string Unread(const console::Console& con) {
    return con.line.substr(con.next);
}

struct NumberCase {
    const char* name;
    std::string input;
    std::optional<std::int32_t> value;  // nullopt: input ends before a number
    std::string unread;                 // what stays buffered of the number's line
};

// Test names show the case name instead of the bytes of the case.
void PrintTo(const NumberCase& row, std::ostream* os) {
    *os << row.name;
}

class ReadNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumberTest, ReadsTheNumberAndLeavesTheRestOfItsLine) {
    const NumberCase& c = GetParam();
    ScriptedConsole script(c.input);
    std::int32_t value = -12345;
    const bool answered = ReadNumber(script.con, value);
    ASSERT_EQ(answered, c.value.has_value());
    if (answered) {
        EXPECT_EQ(value, *c.value);
        EXPECT_EQ(Unread(script.con), c.unread);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReadNumberTest,
    testing::Values(NumberCase{"BlanksAndEmptyLinesAreSkipped", " \t\n\n  42 rest\n", 42,
                               " rest\n"},
                    NumberCase{"NegativeNumber", "-7\n", -7, "\n"},
                    NumberCase{"PlusSign", "+9x\n", 9, "x\n"},
                    NumberCase{"StopsAtTheFirstNonDigit", "12abc\n", 12, "abc\n"},
                    NumberCase{"SecondNumberStaysBuffered", "7 3\n", 7, " 3\n"},
                    NumberCase{"LineWithoutNumberIsNoAnswer", "abc\n5\n", 5, "\n"},
                    NumberCase{"LoneSignsAreNoAnswer", "-\n+\n+-3\n+ 4\n8\n", 8, "\n"},
                    NumberCase{"NumbersBeyond32BitsAreNoAnswer",
                               "2147483648\n-2147483649\n2147483647\n", INT32_MAX, "\n"},
                    NumberCase{"SmallestNumber", "-2147483648\n", INT32_MIN, "\n"},
                    NumberCase{"CarriageReturnsAreLineEnds", "\r\n12\r\n", 12, "\n"},
                    NumberCase{"LastLineWithoutLineEnd", "33", 33, ""},
                    NumberCase{"NoInput", "", std::nullopt, ""},
                    NumberCase{"OnlyEmptyLines", "\n \n\t\n", std::nullopt, ""},
                    NumberCase{"OnlyText", "abc\nx", std::nullopt, ""}),
    [](const testing::TestParamInfo<NumberCase>& row) { return std::string(row.param.name); });

TEST(ReadAnswerCharTest, TakesTheNextCharacterUnchanged) {
    struct Case {
        std::string input;
        std::optional<char> answer;
    };
    const Case cases[] = {
        {"y\n", 'y'},     {"\n", '\n'},     {" y\n", ' '},      {"\r\n", '\n'},
        {"\r\r\n", '\n'}, {"\ry\r\n", 'y'}, {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.input));
        ScriptedConsole script(c.input);
        char answer = 0;
        ASSERT_EQ(ReadAnswerChar(script.con, answer), c.answer.has_value());
        if (c.answer) {
            EXPECT_EQ(answer, *c.answer);
        }
    }
}

TEST(ReadLineTest, ReadsTheWholeLineWithoutItsLineEnd) {
    struct Case {
        std::string input;
        std::optional<std::string> line;
    };
    const Case cases[] = {
        {"c:\\qrv stuff\n", "c:\\qrv stuff"},
        {"c:\\qrv\r\n", "c:\\qrv"},
        // Control characters would break the file's CR LF lines and blank-separated fields.
        {"c:\\dir\r\r\n", "c:\\dir"},
        {"c:\\d\rir\n", "c:\\dir"},
        {std::string("c:\\d\0ir\n", 8), "c:\\dir"},
        {"\tc:\\a\x01"
         "b\x1b[1m\x7f\n",
         "c:\\ab[1m"},
        {"\n", ""},
        {"last", "last"},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.input));
        ScriptedConsole script(c.input);
        std::string line = "sentinel";
        ASSERT_EQ(ReadLine(script.con, line), c.line.has_value());
        if (c.line) {
            EXPECT_EQ(line, *c.line);
            EXPECT_EQ(Unread(script.con), "");
        }
    }
}

TEST(ReadLineTest, KeepsTheFirst255CharactersAndConsumesTheRest) {
    // Dropped control characters do not count.
    const std::string longLine = "\t" + std::string(255, 'a') + std::string(45, 'b');
    ScriptedConsole script(longLine + "\nnext\n");
    std::string line;
    ASSERT_TRUE(ReadLine(script.con, line));
    EXPECT_EQ(line, std::string(255, 'a'));
    ASSERT_TRUE(ReadLine(script.con, line));
    EXPECT_EQ(line, "next");
}

TEST(DiscardInputTest, ThrowsAwayOnlyTheRestOfTheCurrentLine) {
    ScriptedConsole script("1 2\n3\n");
    std::int32_t value = 0;
    ASSERT_TRUE(ReadNumber(script.con, value));
    DiscardInput(script.con);
    ASSERT_TRUE(ReadNumber(script.con, value));
    EXPECT_EQ(value, 3);
}

TEST(ConsoleScreenTest, ClearWritesSixtyLineFeedsAndThePauseDiscardsTheLine) {
    ScriptedConsole script("1 junk\n2\n");
    std::int32_t value = 0;
    ASSERT_TRUE(ReadNumber(script.con, value));
    ClearConsole(script.con);
    PauseForKey(script.con);
    EXPECT_EQ(script.out.str(), std::string(60, '\n') + "\n\n\t\t\tPress any key to continue...");
    ASSERT_TRUE(ReadNumber(script.con, value));
    EXPECT_EQ(value, 2);
}

}  // namespace
}  // namespace zandinst
