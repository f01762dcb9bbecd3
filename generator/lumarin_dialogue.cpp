#include "generator/lumarin_dialogue.h"

#include "generator/manifest_questions.h"
#include "generator/section_frames.h"

namespace zandinst {

namespace {

constexpr char kBanner[] = "\nLumarin CE Install Version 1\n\n";

constexpr char kKey[] =
    "\n\n[HKEY_LOCAL_MACHINE\\Drivers\\USB\\LoadClients\\4731\\Default\\Default"
    "\\Quorva_Lumarin_Driver]";
constexpr char kDll[] = "\n\t\"DLL\"=\"lumce.dll\"";

constexpr DriverFile kDriver = {
    "\nPlease enter the directory containing the file LUMCE.DLL:\n\teg. c:\\qrv_stuff, c:\n\t-> ",
    "\nlumce.dll  %s\\LUMCE.DLL  NK SH",
};

}  // namespace

void WriteLumarinPorts(console::AppendFile& file) {
    WriteRegistryHead(file);
    console::WriteAppendFile(file, kKey);
    console::WriteAppendFile(file, kDll);
    WriteRegistryTail(file);
}

DialogueEnd RunLumarinDialogue(console::Console& con, const std::string& fileName) {
    WriteDialogueOpening(con, kBanner);
    console::AppendFile file;
    OpenOutputFile(con, file, fileName);
    WriteLumarinPorts(file);
    WriteFilesHead(file, FilesHeadEnd::kRuleWithLineEnd);
    const bool answered = AskTermivoAndDriver(con, file, kDriver);
    WriteFilesTail(file);
    return FinishDialogue(con, file, fileName, answered);
}

}  // namespace zandinst
