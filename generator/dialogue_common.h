// What every product dialogue shares: how it ended, its opening (banner, disclaimers, key
// pause), its closing, and the opening and closing of its output file with the failures shown.
//
// A dialogue whose file cannot be opened or written still asks all its questions, so that piped
// answers stay in step with the prompts; the failure is shown on the error stream with the file
// name and the reason, nothing reaches the file, and the menu learns of it from the result.
#pragma once

#include <string>

#include "platform/console.h"

namespace zandinst {

enum class DialogueEnd {
    kWritten,     // ran to its end and its sections are in the file
    kNotWritten,  // ran to its end, but the file could not be opened or written
    kInputEnded,  // input ended at one of its prompts
};

// The banner, the four disclaimers and the key pause.
void WriteDialogueOpening(console::Console& con, const char* banner);

// Opens the dialogue's file for appending; a failure is shown, and writes then do nothing.
void OpenOutputFile(console::Console& con, console::AppendFile& file, const std::string& name);

// Closes the file; false when some of its text did not reach it (a failed write is shown).
bool CloseOutputFile(console::Console& con, console::AppendFile& file, const std::string& name);

// The closing paragraph, the file name and the key pause.
void WriteDialogueClosing(console::Console& con, const std::string& name);

// Closes the file and, when every answer was given, writes the closing.
DialogueEnd FinishDialogue(console::Console& con, console::AppendFile& file,
                           const std::string& name, bool answered);

}  // namespace zandinst
