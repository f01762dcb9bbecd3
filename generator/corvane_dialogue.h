// The dialogue of the board line served by one built-in driver under its own device prefix.
#pragma once

#include <string>

#include "generator/dialogue_common.h"
#include "platform/console.h"

namespace zandinst {

// Holds the file open across both sections and their questions.
DialogueEnd RunCorvaneDialogue(console::Console& con, const std::string& fileName);

// Asks how many serial ports the platform already has, then writes the registry section with
// the driver's first port number after them. False when input ended before the answer.
bool AskCorvanePorts(console::Console& con, console::AppendFile& file);

}  // namespace zandinst
