// The dialogue of the board line addressed by I/O port and one interrupt line: board questions,
// the registry section, then the image-manifest questions and section.
#pragma once

#include <string>

#include "generator/dialogue_common.h"
#include "platform/console.h"

namespace zandinst {

// Opens and closes the file twice: for the registry section once every board question is
// answered, and in AskPellixFiles.
DialogueEnd RunPellixDialogue(console::Console& con, const std::string& fileName);

// The image-manifest questions with their section; opens the file itself. When input ends
// during the questions, the section is closed with its end frame.
DialogueEnd AskPellixFiles(console::Console& con, const std::string& fileName);

}  // namespace zandinst
