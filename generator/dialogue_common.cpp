#include "generator/dialogue_common.h"

#include <cstring>
#include <ostream>

#include "generator/console_primitives.h"
#include "generator/paragraph_wrapper.h"
#include "generator/text_format.h"

namespace zandinst {

namespace {

constexpr char kDisclaimerStartingPoint[] = "This utility serves as a starting point only.";
constexpr char kDisclaimerNotVerified[] =
    "It does not verify that the settings you enter are correct.";
constexpr char kDisclaimerNoGuarantee[] =
    "It does not guaruntee that the board will function correctly once installed, due to the "
    "fact that it was written for basic functionality.";
constexpr char kDisclaimerOneIrq[] =
    "This utility will not create setups for boards with multiple IRQ's, although it may be "
    "implemented in the future.";

constexpr char kClosingParagraph[] =
    "The output file contains the entries you should copy and paste into your Platform's "
    "project.reg and project.bib files.";
constexpr char kOutputFileIs[] = "\n\n\tOutput file is: %s";

constexpr char kCannotOpen[] = "zandinst: cannot open %s for appending: %s\n";
constexpr char kCannotWrite[] = "zandinst: cannot write %s: %s\n";

void ShowFailure(console::Console& con, const char* format, const std::string& name, int error) {
    con.out->flush();
    *con.err << FormatText(format, name.c_str(), std::strerror(error)) << std::flush;
}

}  // namespace

void WriteDialogueOpening(console::Console& con, const char* banner) {
    *con.out << banner;
    PrintWrapped(con, kDisclaimerStartingPoint, 50, 0);
    PrintWrapped(con, kDisclaimerNotVerified, 60, 0);
    PrintWrapped(con, kDisclaimerNoGuarantee, 50, 0);
    PrintWrapped(con, kDisclaimerOneIrq, 50, 0);
    PauseForKey(con);
}

void OpenOutputFile(console::Console& con, console::AppendFile& file, const std::string& name) {
    if (!console::OpenAppendFile(file, name)) {
        ShowFailure(con, kCannotOpen, name, file.error);
    }
}

bool CloseOutputFile(console::Console& con, console::AppendFile& file, const std::string& name) {
    const bool wasOpen = file.stream != nullptr;
    const bool written = console::CloseAppendFile(file);
    if (wasOpen && !written) {
        ShowFailure(con, kCannotWrite, name, file.error);
    }
    return written;
}

void WriteDialogueClosing(console::Console& con, const std::string& name) {
    *con.out << "\n";
    PrintWrapped(con, kClosingParagraph, 40, 1);
    *con.out << FormatText(kOutputFileIs, name.c_str()) << "\n";
    PauseForKey(con);
}

DialogueEnd FinishDialogue(console::Console& con, console::AppendFile& file,
                           const std::string& name, bool answered) {
    const bool written = CloseOutputFile(con, file, name);
    if (!answered) {
        return DialogueEnd::kInputEnded;
    }
    WriteDialogueClosing(con, name);
    return written ? DialogueEnd::kWritten : DialogueEnd::kNotWritten;
}

}  // namespace zandinst
