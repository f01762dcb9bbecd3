#include "generator/wizard.h"

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "generator/console_primitives.h"
#include "generator/corvane_dialogue.h"
#include "generator/dialogue_common.h"
#include "generator/lumarin_dialogue.h"
#include "generator/paragraph_wrapper.h"
#include "generator/pellix_dialogue.h"
#include "generator/text_format.h"

namespace zandinst {

namespace {

constexpr char kUsageArgument[] = "/?";
constexpr const char* kUsageTexts[] = {
    "\nDriver Install for Pellix/104",
    "\nQuorva Inc.",
    "\n\n\tusage: zandinst [/?]",
    "\n\n\t/?  Display this screen\n\n",
};
constexpr char kUsageParagraph[] =
    "This utitlity will collect information about your QRV product and then generate some "
    "\"cut'n'paste\" code for you to add to your platform.";

constexpr const char* kMenuTexts[] = {
    "\n\tQRV CE Driver Install Verison 1.1.1.1",
    "\n\n\t1  Pellix/Tandor",
    "\n\t2  Corvane",
    "\n\t3  Lumarin",
    "\n\n\t4  Exit",
    "\n\n\tPlease choose a product: ",
};

constexpr std::int32_t kChoicePellix = 1;
constexpr std::int32_t kChoiceCorvane = 2;
constexpr std::int32_t kChoiceLumarin = 3;
constexpr std::int32_t kChoiceExit = 4;

constexpr char kPellixFile[] = "Pellix.out";
constexpr char kCorvaneFile[] = "Corvane.out";
constexpr char kLumarinFile[] = "Lumarin.out";

constexpr char kInputEnded[] = "zandinst: input ended before Exit was chosen; session cut short\n";
constexpr char kNotSaved[] = "zandinst: some sections could not be saved to %s\n";

// Ends the session: names every file that missed sections, then returns the status.
int EndSession(console::Console& con, const std::vector<std::string>& unsaved, int status) {
    con.out->flush();
    if (status == kExitInputEnded) {
        *con.err << kInputEnded;
    }
    for (const std::string& name : unsaved) {
        *con.err << FormatText(kNotSaved, name.c_str());
    }
    if (!unsaved.empty() && status == kExitDone) {
        status = kExitNotWritten;
    }
    con.err->flush();
    return status;
}

}  // namespace

bool AsksForUsage(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == kUsageArgument) {
            return true;
        }
    }
    return false;
}

void ShowUsage(console::Console& con) {
    for (const char* text : kUsageTexts) {
        *con.out << text;
    }
    PrintWrapped(con, kUsageParagraph, 40, 1);
    *con.out << "\n\n" << std::flush;
}

int RunMenu(console::Console& con) {
    std::vector<std::string> unsaved;
    for (;;) {
        ClearConsole(con);
        for (const char* text : kMenuTexts) {
            *con.out << text;
        }
        // No discard: a second number on the same line answers the next showing of the menu.
        std::int32_t choice = 0;
        if (!ReadNumber(con, choice)) {
            *con.out << "\n";
            return EndSession(con, unsaved, kExitInputEnded);
        }
        ClearConsole(con);

        const char* fileName = nullptr;
        DialogueEnd end = DialogueEnd::kWritten;
        switch (choice) {
            case kChoicePellix:
                fileName = kPellixFile;
                end = RunPellixDialogue(con, fileName);
                break;
            case kChoiceCorvane:
                fileName = kCorvaneFile;
                end = RunCorvaneDialogue(con, fileName);
                break;
            case kChoiceLumarin:
                fileName = kLumarinFile;
                end = RunLumarinDialogue(con, fileName);
                break;
            case kChoiceExit:
                *con.out << "\n\n";
                return EndSession(con, unsaved, kExitDone);
            default:
                continue;
        }
        if (end == DialogueEnd::kNotWritten &&
            std::find(unsaved.begin(), unsaved.end(), fileName) == unsaved.end()) {
            unsaved.emplace_back(fileName);
        }
        if (end == DialogueEnd::kInputEnded) {
            *con.out << "\n";
            return EndSession(con, unsaved, kExitInputEnded);
        }
    }
}

int RunWizard(console::Console& con, int argc, const char* const* argv) {
    if (AsksForUsage(argc, argv)) {
        ShowUsage(con);
        return kExitUsage;
    }
    return RunMenu(con);
}

}  // namespace zandinst
