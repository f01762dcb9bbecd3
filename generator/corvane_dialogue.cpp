#include "generator/corvane_dialogue.h"

#include <cstdint>

#include "generator/console_primitives.h"
#include "generator/manifest_questions.h"
#include "generator/section_frames.h"
#include "generator/text_format.h"

namespace zandinst {

namespace {

constexpr char kBanner[] = "\nCorvane CE Install Version 1\n\n";

constexpr char kOtherPortsPrompt[] =
    "\n\nPlease enter how many other serial ports you\n\talready have installed -> ";

constexpr char kKey[] = "\n\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Corvane]";
constexpr char kPrefix[] = "\n\t\"Prefix\"=\"KVN\"";
constexpr char kDll[] = "\n\t\"Dll\"=\"corvce.dll\"";
constexpr char kIndex[] = "\n\t\"Index\"=dword:1";
constexpr char kOrder[] = "\n\t\"Order\"=dword:1";
constexpr char kPortStart[] = "\n\t\"PortStart\"=dword:%lld";

constexpr DriverFile kDriver = {
    "\nPlease enter the directory containing the file CORVCE.DLL:\n\teg. c:\\qrv_stuff, c:\n\t-> ",
    "\ncorvce.DLL  %s\\CORVCE.DLL  NK SH",
};

}  // namespace

bool AskCorvanePorts(console::Console& con, console::AppendFile& file) {
    std::int32_t otherPorts = 0;
    if (!AskNumber(con, kOtherPortsPrompt, otherPorts)) {
        return false;
    }
    WriteRegistryHead(file);
    console::WriteAppendFile(file, kKey);
    console::WriteAppendFile(file, kPrefix);
    console::WriteAppendFile(file, kDll);
    console::WriteAppendFile(file, kIndex);
    console::WriteAppendFile(file, kOrder);
    // Widened, so that the largest answer cannot overflow.
    console::WriteAppendFile(file, FormatText(kPortStart, static_cast<long long>(otherPorts) + 1));
    WriteRegistryTail(file);
    return true;
}

DialogueEnd RunCorvaneDialogue(console::Console& con, const std::string& fileName) {
    WriteDialogueOpening(con, kBanner);
    console::AppendFile file;
    OpenOutputFile(con, file, fileName);
    bool answered = AskCorvanePorts(con, file);
    if (answered) {
        WriteFilesHead(file, FilesHeadEnd::kRuleWithLineEnd);
        answered = AskTermivoAndDriver(con, file, kDriver);
        WriteFilesTail(file);
    }
    return FinishDialogue(con, file, fileName, answered);
}

}  // namespace zandinst
