// Runs the built program with piped answers in a scratch directory, as a script would.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "generator/test_support.h"

namespace zandinst {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome RunProgram(const std::string& arguments, const std::string& input) {
    WriteFileBytes("answers.txt", input);
    const std::string command = std::string("'") + ZANDINST_BINARY + "' " + arguments +
                                " <answers.txt >screen.txt 2>errors.txt";
    const int result = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    outcome.out = ReadFileBytes("screen.txt");
    outcome.err = ReadFileBytes("errors.txt");
    return outcome;
}

class ZandinstProgramTest : public testing::Test {
  protected:
    ScratchDirectory directory_;
};

TEST_F(ZandinstProgramTest, PipedSampleSessionWritesTheGoldenFileAndEndsWithZero) {
    const Outcome outcome = RunProgram("", "1\n2\n768\n5\ny\nn\n0\ny\nc:\\qrv_stuff\ny\ny\n4\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(ReadFileBytes("Pellix.out"),
              ReadFileBytes(GENERATOR_TESTDATA "/pellix_sample.golden"));
    EXPECT_NE(outcome.out.find("Output file is: Pellix.out"), std::string::npos);
}

TEST_F(ZandinstProgramTest, InputEndingInsideADialogueExitsWithTwoAndKeepsTheFile) {
    const Outcome outcome = RunProgram("", "2\n4\ny\nc:\\t\n");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "zandinst: input ended before Exit was chosen; session cut short\n");
    const std::string file = ReadFileBytes("Corvane.out");
    EXPECT_NE(file.find("\"PortStart\"=dword:5\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\nTermivo.exe  c:\\t\\Termivo.exe  NK S\r\n"), std::string::npos);
    const std::string stars = ";" + std::string(91, '*');
    EXPECT_TRUE(file.ends_with(Crlf("\n\n" + stars + "\n;   End of QRV Files\n" + stars + "\n\n")));
}

TEST_F(ZandinstProgramTest, CarriageReturnsInAnswersNeverReachTheFile) {
    const Outcome outcome = RunProgram("", "3\nn\nc:\\dir\r\r\n4\r\n");
    EXPECT_EQ(outcome.status, 0);
    const std::string file = ReadFileBytes("Lumarin.out");
    EXPECT_NE(file.find("\r\nlumce.dll  c:\\dir\\LUMCE.DLL  NK SH\r\n"), std::string::npos);
    for (std::size_t at = file.find('\r'); at != std::string::npos; at = file.find('\r', at + 1)) {
        ASSERT_EQ(file[at + 1], '\n') << "a bare CR at byte " << at;
    }
}

TEST_F(ZandinstProgramTest, UsageScreenExitsWithOne) {
    const Outcome outcome = RunProgram("a '/?'", "");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out.rfind("\nDriver Install for Pellix/104\nQuorva Inc.", 0), 0u);
}

}  // namespace
}  // namespace zandinst
