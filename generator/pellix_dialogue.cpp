#include "generator/pellix_dialogue.h"

#include "generator/console_primitives.h"
#include "generator/manifest_questions.h"
#include "generator/pellix_registry.h"
#include "generator/section_frames.h"
#include "generator/text_format.h"

namespace zandinst {

namespace {

constexpr char kBanner[] = "\nPellix/Tandor CE Install Version 1\n\n";

constexpr char kPortCountPrompt[] = "\n\nHow many ports do you wish to install? -> ";
constexpr char kIoBasePrompt[] = "What is the first port address value (in decimal integer)? -> ";
constexpr char kIrqPrompt[] = "What IRQ are you using for the board? -> ";
constexpr char kHighSpeedPrompt[] = "Is the board in high speed mode (Y/N)? -> ";
constexpr char kCustomOscillatorPrompt[] = "Do you have a custom oscillator frequency (Y/N)? -> ";
constexpr char kFrequencyPrompt[] = "Please enter the frequency of your oscillator (in Hz) -> ";
constexpr char kOtherPortsPrompt[] =
    "Please enter how many other serial ports you\n\talready have installed -> ";

constexpr char kDriverPrompt[] = "\n\nDo you wish to install the Pellix CE driver (Y/N)? -> ";
constexpr char kSameDirectoryPrompt[] =
    "\nIs the file PELLUart.dll in the same above directory (Y/N)? -> ";
constexpr char kDriverDirectoryPrompt[] =
    "\nPlease enter the directory containing the file PELLUart.dll:"
    "\n\teg. c:\\qrv_stuff, c:\n\t-> ";

constexpr char kTermivoLine[] = "\n\nTermivo.exe  %s\\Termivo.exe  NK S";
// The driver line differs with and without a Termivo line before it, in spacing and flags.
constexpr char kDriverLineAfterTermivo[] = "\npelluart.dll  %s\\PELLUart.dll  NK SH";
constexpr char kDriverLineAlone[] = "\n\npelluart.dll  %s\\PELLUart.dll  NK S";

bool AskBoard(console::Console& con, PellixAnswers& answers) {
    char answer = 0;
    if (!AskNumber(con, kPortCountPrompt, answers.portCount) ||
        !AskNumber(con, kIoBasePrompt, answers.ioBase) ||
        !AskNumber(con, kIrqPrompt, answers.irq) || !AskAnswerChar(con, kHighSpeedPrompt, answer)) {
        return false;
    }
    answers.highSpeedValue = 0;
    if (IsYes(answer)) {
        answers.highSpeedValue = kDefaultHighSpeed;
        if (!AskAnswerChar(con, kCustomOscillatorPrompt, answer)) {
            return false;
        }
        if (IsYes(answer) && !AskNumber(con, kFrequencyPrompt, answers.highSpeedValue)) {
            return false;
        }
    }
    return AskNumber(con, kOtherPortsPrompt, answers.otherPorts);
}

bool AskFileLines(console::Console& con, console::AppendFile& file) {
    char answer = 0;
    std::string directory;
    if (!AskAnswerChar(con, kTermivoPrompt, answer)) {
        return false;
    }
    if (!IsYes(answer)) {
        if (!AskAnswerChar(con, kDriverPrompt, answer)) {
            return false;
        }
        if (IsYes(answer)) {
            if (!AskLine(con, kDriverDirectoryPrompt, directory)) {
                return false;
            }
            console::WriteAppendFile(file, FormatText(kDriverLineAlone, directory.c_str()));
        }
        return true;
    }

    if (!AskLine(con, kTermivoDirectoryPrompt, directory)) {
        return false;
    }
    console::WriteAppendFile(file, FormatText(kTermivoLine, directory.c_str()));
    if (!AskAnswerChar(con, kDriverPrompt, answer)) {
        return false;
    }
    if (!IsYes(answer)) {
        return true;
    }
    // Only an explicit no asks for another directory; any other answer keeps Termivo's.
    if (!AskAnswerChar(con, kSameDirectoryPrompt, answer)) {
        return false;
    }
    if (IsNo(answer)) {
        if (!AskLine(con, kDriverDirectoryPrompt, directory)) {
            return false;
        }
        DiscardInput(con);
    }
    console::WriteAppendFile(file, FormatText(kDriverLineAfterTermivo, directory.c_str()));
    return true;
}

}  // namespace

DialogueEnd RunPellixDialogue(console::Console& con, const std::string& fileName) {
    WriteDialogueOpening(con, kBanner);
    PellixAnswers answers;
    if (!AskBoard(con, answers)) {
        return DialogueEnd::kInputEnded;
    }

    console::AppendFile file;
    OpenOutputFile(con, file, fileName);
    WriteRegistryHead(file);
    console::WriteAppendFile(file, PellixRegistryEntries(answers));
    WriteRegistryTail(file);
    const bool registryWritten = CloseOutputFile(con, file, fileName);

    const DialogueEnd files = AskPellixFiles(con, fileName);
    if (files == DialogueEnd::kInputEnded) {
        return files;
    }
    WriteDialogueClosing(con, fileName);
    return registryWritten && files == DialogueEnd::kWritten ? DialogueEnd::kWritten
                                                             : DialogueEnd::kNotWritten;
}

DialogueEnd AskPellixFiles(console::Console& con, const std::string& fileName) {
    console::AppendFile file;
    OpenOutputFile(con, file, fileName);
    WriteFilesHead(file, FilesHeadEnd::kRule);
    const bool answered = AskFileLines(con, file);
    WriteFilesTail(file);
    const bool written = CloseOutputFile(con, file, fileName);
    if (!answered) {
        return DialogueEnd::kInputEnded;
    }
    return written ? DialogueEnd::kWritten : DialogueEnd::kNotWritten;
}

}  // namespace zandinst
