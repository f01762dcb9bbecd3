#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "generator/console_primitives.h"
#include "generator/corvane_dialogue.h"
#include "generator/lumarin_dialogue.h"
#include "generator/pellix_dialogue.h"
#include "generator/test_support.h"

namespace zandinst {
namespace {

const std::string kStars = ";" + std::string(91, '*');
const std::string kRegistryHead =
    "\n\n" + kStars + "\n;   QRV Ports (Paste at the end of your project.reg file)\n" + kStars;
const std::string kRegistryTail = "\n\n" + kStars + "\n;   End of QRV Ports\n" + kStars + "\n\n";
const std::string kPellixFilesHead =
    "\n\n" + kStars + "\n;   QRV Files (Paste at the end of your project.bib file)\n" + kStars;
const std::string kFilesHead = kPellixFilesHead + "\n";
const std::string kFilesTail = "\n\n" + kStars + "\n;   End of QRV Files\n" + kStars + "\n\n";

const std::string kCorvaneRegistry =
    kRegistryHead +
    "\n\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Corvane]"
    "\n\t\"Prefix\"=\"KVN\"\n\t\"Dll\"=\"corvce.dll\"\n\t\"Index\"=dword:1\n\t\"Order\"=dword:1"
    "\n\t\"PortStart\"=dword:5" +
    kRegistryTail;
const std::string kLumarinRegistry =
    kRegistryHead +
    "\n\n[HKEY_LOCAL_MACHINE\\Drivers\\USB\\LoadClients\\4731\\Default\\Default\\Quorva_Lumarin_"
    "Driver]\n\t\"DLL\"=\"lumce.dll\"" +
    kRegistryTail;

// Board answers of the sample run; the image-manifest answers follow them.
const std::string kSampleBoard = "2\n768\n5\ny\nn\n0\n";
const std::string kSampleFiles = "y\nc:\\qrv_stuff\ny\ny\n";

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The answer after the dialogue's own: a dialogue that read too many or too few answers shows.
std::string NextAnswer(console::Console& con) {
    std::string line;
    return ReadLine(con, line) ? line : "<end of input>";
}

using Dialogue = std::function<DialogueEnd(console::Console&, const std::string&)>;

class DialogueTest : public testing::Test {
  protected:
    ScratchDirectory directory_;
};

TEST_F(DialogueTest, PellixSampleRunMatchesTheGoldenFile) {
    ScriptedConsole script(kSampleBoard + kSampleFiles);
    EXPECT_EQ(RunPellixDialogue(script.con, "Pellix.out"), DialogueEnd::kWritten);
    EXPECT_EQ(ReadFileBytes("Pellix.out"),
              ReadFileBytes(GENERATOR_TESTDATA "/pellix_sample.golden"));
    EXPECT_EQ(script.err.str(), "");
}

TEST_F(DialogueTest, PellixHighSpeedAnswersReachEveryPort) {
    struct Case {
        std::string answers;  // from the high speed question on
        std::string value;
    };
    const Case cases[] = {
        {"n\n", "0"},         {"\n", "0"},         {" y\n", "0"},
        {"y\nn\n", "708000"}, {"Y\n\n", "708000"}, {"y\ny\n1843200\n", "1843200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.answers));
        std::filesystem::remove("Pellix.out");
        ScriptedConsole script("3\n768\n5\n" + c.answers + "0\nn\nn\n");
        ASSERT_EQ(RunPellixDialogue(script.con, "Pellix.out"), DialogueEnd::kWritten);
        const std::string file = ReadFileBytes("Pellix.out");
        EXPECT_EQ(Count(file, "\"HighSpeed\"="), 3u);
        EXPECT_EQ(Count(file, "\t\"HighSpeed\"=dword:" + c.value + "\r\n"), 3u);
    }
}

TEST_F(DialogueTest, PellixManifestLinesFollowTheAnswers) {
    struct Case {
        const char* name;
        std::string answers;
        std::string entries;
    };
    const Case cases[] = {
        {"OtherDriverDirectory", "y\nc:\\t\ny\nn\nd:\\drv\n",
         "\n\nTermivo.exe  c:\\t\\Termivo.exe  NK S\npelluart.dll  d:\\drv\\PELLUart.dll  NK SH"},
        {"OnlyAnExplicitNoAsksAgain", "y\nc:\\t\ny\n\n",
         "\n\nTermivo.exe  c:\\t\\Termivo.exe  NK S\npelluart.dll  c:\\t\\PELLUart.dll  NK SH"},
        {"TermivoWithoutDriver", "Y\nc:\\t\nn\n", "\n\nTermivo.exe  c:\\t\\Termivo.exe  NK S"},
        {"DriverWithoutTermivo", "n\ny\nd:\\drv\n",
         "\n\npelluart.dll  d:\\drv\\PELLUart.dll  NK S"},
        {"Neither", "n\nn\n", ""},
        {"EmptyDirectory", "y\n\nn\n", "\n\nTermivo.exe  \\Termivo.exe  NK S"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove("Pellix.out");
        ScriptedConsole script(c.answers + "rest\n");
        ASSERT_EQ(AskPellixFiles(script.con, "Pellix.out"), DialogueEnd::kWritten);
        EXPECT_EQ(ReadFileBytes("Pellix.out"), Crlf(kPellixFilesHead + c.entries + kFilesTail));
        EXPECT_EQ(NextAnswer(script.con), "rest");
    }
}

TEST_F(DialogueTest, CorvaneStartsItsPortsAfterTheOtherPorts) {
    ScriptedConsole script("4\ny\nc:\\qrv_stuff\nc:\\drv\n");
    EXPECT_EQ(RunCorvaneDialogue(script.con, "Corvane.out"), DialogueEnd::kWritten);
    EXPECT_EQ(ReadFileBytes("Corvane.out"), Crlf(kCorvaneRegistry + kFilesHead +
                                                 "\nTermivo.exe  c:\\qrv_stuff\\Termivo.exe  NK S"
                                                 "\ncorvce.DLL  c:\\drv\\CORVCE.DLL  NK SH" +
                                                 kFilesTail));
}

TEST_F(DialogueTest, LumarinScreenAndFileWithEmptyDirectory) {
    ScriptedConsole script("n\n\n");
    EXPECT_EQ(RunLumarinDialogue(script.con, "Lumarin.out"), DialogueEnd::kWritten);
    EXPECT_EQ(ReadFileBytes("Lumarin.out"),
              Crlf(kLumarinRegistry + kFilesHead + "\nlumce.dll  \\LUMCE.DLL  NK SH" + kFilesTail));
    EXPECT_EQ(script.out.str(),
              "\nLumarin CE Install Version 1\n\n"
              "\nThis utility serves as a starting point only."
              "\nIt does not verify that the settings you enter are correct."
              "\nIt does not guaruntee that the board will function"
              "\ncorrectly once installed, due to the fact that it"
              "\nwas written for basic functionality."
              "\nThis utility will not create setups for boards with"
              "\nmultiple IRQ's, although it may be implemented in"
              "\nthe future."
              "\n\n\t\t\tPress any key to continue..."
              "\n\nDo you wish to install Termivo (Y/N)? -> "
              "\nPlease enter the directory containing the file LUMCE.DLL:"
              "\n\teg. c:\\qrv_stuff, c:\n\t-> "
              "\n"
              "\n\tThe output file contains the entries you"
              "\n\tshould copy and paste into your Platform's"
              "\n\tproject.reg and project.bib files."
              "\n\n\tOutput file is: Lumarin.out\n"
              "\n\n\t\t\tPress any key to continue...");
}

TEST_F(DialogueTest, RunningTwiceAppendsASecondPairOfSections) {
    const std::string earlier = "; kept from an earlier run\r\n";
    WriteFileBytes("Corvane.out", earlier);
    for (int run = 0; run < 2; ++run) {
        ScriptedConsole script("4\nn\nc:\\drv\n");
        ASSERT_EQ(RunCorvaneDialogue(script.con, "Corvane.out"), DialogueEnd::kWritten);
    }
    const std::string once = Crlf(kCorvaneRegistry + kFilesHead +
                                  "\ncorvce.DLL  c:\\drv\\CORVCE.DLL  NK SH" + kFilesTail);
    EXPECT_EQ(ReadFileBytes("Corvane.out"), earlier + once + once);
}

TEST_F(DialogueTest, LongDirectoryIsCutAndTheNextAnswerStaysInStep) {
    const std::string longDirectory = std::string(255, 'a') + std::string(100, 'z');
    ScriptedConsole script("y\n" + longDirectory + "\nc:\\drv\n");
    ASSERT_EQ(RunLumarinDialogue(script.con, "Lumarin.out"), DialogueEnd::kWritten);
    EXPECT_EQ(ReadFileBytes("Lumarin.out"),
              Crlf(kLumarinRegistry + kFilesHead + "\nTermivo.exe  " + std::string(255, 'a') +
                   "\\Termivo.exe  NK S\nlumce.dll  c:\\drv\\LUMCE.DLL  NK SH" + kFilesTail));
}

// Input that ends at a prompt leaves every section already begun closed with its end frame, and
// the closing is not shown.
TEST_F(DialogueTest, EndOfInputKeepsWhatWasWrittenWhole) {
    struct Case {
        const char* name;
        Dialogue run;
        std::string file;
        std::string input;
        std::optional<std::string> written;  // nullopt: the file must not exist
    };
    const Case cases[] = {
        {"PellixDuringBoardQuestions", RunPellixDialogue, "Pellix.out", "2\n768\n", std::nullopt},
        {"PellixAtTermivoQuestion", AskPellixFiles, "Pellix.out", "",
         kPellixFilesHead + kFilesTail},
        {"PellixAtDriverDirectory", AskPellixFiles, "Pellix.out", "y\nc:\\t\ny\nn\n",
         kPellixFilesHead + "\n\nTermivo.exe  c:\\t\\Termivo.exe  NK S" + kFilesTail},
        {"CorvaneAtOtherPorts", RunCorvaneDialogue, "Corvane.out", "abc\n", ""},
        {"CorvaneAtDriverDirectory", RunCorvaneDialogue, "Corvane.out", "4\ny\nc:\\t\n",
         kCorvaneRegistry + kFilesHead + "\nTermivo.exe  c:\\t\\Termivo.exe  NK S" + kFilesTail},
        {"LumarinAtTermivoQuestion", RunLumarinDialogue, "Lumarin.out", "",
         kLumarinRegistry + kFilesHead + kFilesTail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(c.file);
        ScriptedConsole script(c.input);
        EXPECT_EQ(c.run(script.con, c.file), DialogueEnd::kInputEnded);
        if (c.written) {
            EXPECT_EQ(ReadFileBytes(c.file), Crlf(*c.written));
        } else {
            EXPECT_FALSE(std::filesystem::exists(c.file));
        }
        EXPECT_EQ(script.out.str().find("Output file is"), std::string::npos);
    }
}

// The dialogue still asks every question, so that piped answers stay in step, and names the
// file and the reason on the error stream.
TEST_F(DialogueTest, UnopenableFileIsReportedAndTheDialogueRunsToItsEnd) {
    struct Case {
        const char* name;
        Dialogue run;
        std::string file;
        std::string input;
        std::string messages;
    };
    const std::string pellixOpen =
        "zandinst: cannot open Pellix.out for appending: Is a directory\n";
    const Case cases[] = {
        {"Pellix", RunPellixDialogue, "Pellix.out", kSampleBoard + kSampleFiles,
         pellixOpen + pellixOpen},
        {"Corvane", RunCorvaneDialogue, "Corvane.out", "4\ny\nc:\\t\nc:\\drv\n",
         "zandinst: cannot open Corvane.out for appending: Is a directory\n"},
        {"Lumarin", RunLumarinDialogue, "Lumarin.out", "n\nc:\\drv\n",
         "zandinst: cannot open Lumarin.out for appending: Is a directory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::create_directory(c.file);
        ScriptedConsole script(c.input + "next\n");
        EXPECT_EQ(c.run(script.con, c.file), DialogueEnd::kNotWritten);
        EXPECT_EQ(script.err.str(), c.messages);
        EXPECT_EQ(NextAnswer(script.con), "next");
        EXPECT_TRUE(std::filesystem::is_empty(c.file));
    }
}

TEST_F(DialogueTest, FailedWriteIsReported) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full to fail the writes";
    }
    std::filesystem::create_symlink("/dev/full", "Lumarin.out");
    ScriptedConsole script("n\nc:\\drv\n");
    EXPECT_EQ(RunLumarinDialogue(script.con, "Lumarin.out"), DialogueEnd::kNotWritten);
    EXPECT_EQ(script.err.str(), "zandinst: cannot write Lumarin.out: No space left on device\n");
}

}  // namespace
}  // namespace zandinst
