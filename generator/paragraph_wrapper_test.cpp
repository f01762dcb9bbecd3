#include "generator/paragraph_wrapper.h"

#include <gtest/gtest.h>

#include <string>

#include "generator/test_support.h"

namespace zandinst {
namespace {

struct WrapCase {
    const char* name;
    std::string text;
    std::size_t width;
    int indentLevels;
    std::string printed;
};

// Test names show the case name instead of the bytes of the case.
void PrintTo(const WrapCase& row, std::ostream* os) {
    *os << row.name;
}

class PrintWrappedTest : public testing::TestWithParam<WrapCase> {};

TEST_P(PrintWrappedTest, PrintsTheParagraphLineByLine) {
    const WrapCase& c = GetParam();
    ScriptedConsole script("");
    PrintWrapped(script.con, c.text, c.width, c.indentLevels);
    EXPECT_EQ(script.out.str(), c.printed);
}

INSTANTIATE_TEST_SUITE_P(
    Paragraphs, PrintWrappedTest,
    testing::Values(
        WrapCase{"Usage",
                 "This utitlity will collect information about your QRV product and then "
                 "generate some \"cut'n'paste\" code for you to add to your platform.",
                 40, 1,
                 "\n\tThis utitlity will collect information about"
                 "\n\tyour QRV product and then generate some"
                 "\n\t\"cut'n'paste\" code for you to add to your"
                 "\n\tplatform."},
        WrapCase{"Closing",
                 "The output file contains the entries you should copy and paste into "
                 "your Platform's project.reg and project.bib files.",
                 40, 1,
                 "\n\tThe output file contains the entries you"
                 "\n\tshould copy and paste into your Platform's"
                 "\n\tproject.reg and project.bib files."},
        WrapCase{"StartingPoint", "This utility serves as a starting point only.", 50, 0,
                 "\nThis utility serves as a starting point only."},
        WrapCase{"NotVerified", "It does not verify that the settings you enter are correct.", 60,
                 0, "\nIt does not verify that the settings you enter are correct."},
        WrapCase{"NoGuarantee",
                 "It does not guaruntee that the board will function correctly "
                 "once installed, due to the fact that it was written for basic functionality.",
                 50, 0,
                 "\nIt does not guaruntee that the board will function"
                 "\ncorrectly once installed, due to the fact that it"
                 "\nwas written for basic functionality."},
        WrapCase{"OneIrq",
                 "This utility will not create setups for boards with multiple IRQ's, "
                 "although it may be implemented in the future.",
                 50, 0,
                 "\nThis utility will not create setups for boards with"
                 "\nmultiple IRQ's, although it may be implemented in"
                 "\nthe future."},
        WrapCase{"CutExactlyAtABlank", "abcde fgh", 5, 2, "\n\t\tabcde\n\t\tfgh"},
        WrapCase{"LastWordCrossingTheWidthEndsTheParagraph", "aaa bbbbbbb", 5, 1,
                 "\n\taaa bbbbbbb"},
        WrapCase{"EmptyText", "", 40, 1, "\n\t"}),
    [](const testing::TestParamInfo<WrapCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zandinst
