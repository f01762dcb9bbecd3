// printf-style formatting of the wizard's texts into a string.
#pragma once

#include <string>

namespace zandinst {

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zandinst
