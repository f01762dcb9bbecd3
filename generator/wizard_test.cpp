#include "generator/wizard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "generator/test_support.h"

namespace zandinst {
namespace {

const std::string kClear(60, '\n');
const std::string kMenu =
    "\n\tQRV CE Driver Install Verison 1.1.1.1"
    "\n\n\t1  Pellix/Tandor\n\t2  Corvane\n\t3  Lumarin"
    "\n\n\t4  Exit"
    "\n\n\tPlease choose a product: ";
// The menu shown, answered with a number that starts no dialogue.
const std::string kMenuRound = kClear + kMenu + kClear;
const std::string kInputEndedNotice =
    "zandinst: input ended before Exit was chosen; session cut short\n";

int RunWithArguments(ScriptedConsole& script, std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "zandinst");
    return RunWizard(script.con, static_cast<int>(arguments.size()), arguments.data());
}

TEST(WizardTest, UsageScreenForAnExactSlashQuestionMarkArgument) {
    struct Case {
        std::vector<const char*> arguments;
        int status;
    };
    const Case cases[] = {
        {{"/?"}, kExitUsage}, {{"a", "/?"}, kExitUsage}, {{"/?", "x"}, kExitUsage},
        {{"/h"}, kExitDone},  {{"/?x"}, kExitDone},      {{"-?"}, kExitDone},
        {{}, kExitDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        ScriptedConsole script("4\n");
        EXPECT_EQ(RunWithArguments(script, c.arguments), c.status);
        EXPECT_EQ(script.out.str().rfind("\nDriver Install for Pellix/104", 0) == 0,
                  c.status == kExitUsage);
    }
}

TEST(WizardTest, UsageScreenText) {
    ScriptedConsole script("");
    EXPECT_EQ(RunWithArguments(script, {"/?"}), kExitUsage);
    EXPECT_EQ(script.out.str(),
              "\nDriver Install for Pellix/104"
              "\nQuorva Inc."
              "\n\n\tusage: zandinst [/?]"
              "\n\n\t/?  Display this screen\n\n"
              "\n\tThis utitlity will collect information about"
              "\n\tyour QRV product and then generate some"
              "\n\t\"cut'n'paste\" code for you to add to your"
              "\n\tplatform."
              "\n\n");
}

// Every case ends with choice 4: the screen shows how often the menu was drawn before it.
TEST(WizardTest, MenuAnswers) {
    struct Case {
        const char* name;
        std::string input;
        int roundsBeforeExit;
    };
    const Case cases[] = {
        {"ExitAtOnce", "4\n", 0},
        {"EmptyLinesAreNoAnswer", "\n\n \t\n4\n", 0},
        {"TextIsNoAnswer", "abc\nx7\n-\n4\n", 0},
        {"TextAfterANumberIsNoAnswer", "7 abc\n4\n", 1},
        {"OtherNumbersShowTheMenuAgain", "7\n0\n-1\n4\n", 3},
        {"SecondNumberOnTheLineAnswersTheNextMenu", "9 4\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedConsole script(c.input);
        EXPECT_EQ(RunMenu(script.con), kExitDone);
        std::string expected;
        for (int round = 0; round < c.roundsBeforeExit; ++round) {
            expected += kMenuRound;
        }
        EXPECT_EQ(script.out.str(), expected + kMenuRound + "\n\n");
        EXPECT_EQ(script.err.str(), "");
    }
}

class WizardFilesTest : public testing::Test {
  protected:
    ScratchDirectory directory_;
};

TEST_F(WizardFilesTest, SevenThreeShowsTheMenuAgainThenStartsLumarinWithoutWaiting) {
    ScriptedConsole script("7 3\nn\nc:\\drv\n4\n");
    EXPECT_EQ(RunMenu(script.con), kExitDone);
    EXPECT_EQ(script.out.str().rfind(kMenuRound + kMenuRound + "\nLumarin CE Install Version 1", 0),
              0u);
    EXPECT_NE(ReadFileBytes("Lumarin.out").find("c:\\drv\\LUMCE.DLL"), std::string::npos);
}

TEST_F(WizardFilesTest, TextAfterTheChoiceIsThrownAwayAtTheFirstPause) {
    ScriptedConsole script("1 junk 3\n2\n768\n5\ny\nn\n0\ny\nc:\\qrv_stuff\ny\ny\n4\n");
    EXPECT_EQ(RunMenu(script.con), kExitDone);
    EXPECT_EQ(ReadFileBytes("Pellix.out"),
              ReadFileBytes(GENERATOR_TESTDATA "/pellix_sample.golden"));
    EXPECT_EQ(script.out.str().substr(script.out.str().size() - 62), kClear + "\n\n");
}

TEST_F(WizardFilesTest, EndOfInputCutsTheSessionShort) {
    struct Case {
        const char* name;
        std::string input;
    };
    const Case cases[] = {
        {"AtTheMenu", ""},
        {"AfterADialogue", "3\nn\nc:\\drv\n"},
        {"InsideADialogue", "1\n2\n768\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedConsole script(c.input);
        EXPECT_EQ(RunMenu(script.con), kExitInputEnded);
        EXPECT_EQ(script.err.str(), kInputEndedNotice);
    }
    EXPECT_FALSE(std::filesystem::exists("Pellix.out"));
}

TEST_F(WizardFilesTest, UnwritableFileMakesExitReportFailure) {
    std::filesystem::create_directory("Corvane.out");
    ScriptedConsole script("2\n4\nn\nc:\\drv\n3\nn\nc:\\drv\n4\n");
    EXPECT_EQ(RunMenu(script.con), kExitNotWritten);
    EXPECT_EQ(script.err.str(),
              "zandinst: cannot open Corvane.out for appending: Is a directory\n"
              "zandinst: some sections could not be saved to Corvane.out\n");
    EXPECT_NE(ReadFileBytes("Lumarin.out").find("c:\\drv\\LUMCE.DLL"), std::string::npos);
}

}  // namespace
}  // namespace zandinst
