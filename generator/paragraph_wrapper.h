// The paragraph wrapper that prints the wizard's longer sentences.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/console.h"

namespace zandinst {

// Prints text as lines of at least width characters: a line is cut at the first blank at or
// after position width, so a word that crosses the width stays whole on its line. Each line is
// written as "\n", a tab per indent level, and the line without the blank it was cut at.
void PrintWrapped(console::Console& con, std::string_view text, std::size_t width,
                  int indentLevels);

}  // namespace zandinst
