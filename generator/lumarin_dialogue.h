// The dialogue of the USB serial board line, whose driver is loaded as a USB client.
#pragma once

#include <string>

#include "generator/dialogue_common.h"
#include "platform/console.h"

namespace zandinst {

// Holds the file open across both sections and the image-manifest questions.
DialogueEnd RunLumarinDialogue(console::Console& con, const std::string& fileName);

// The registry section; it needs no answer.
void WriteLumarinPorts(console::AppendFile& file);

}  // namespace zandinst
