#include "generator/text_format.h"

#include <cstdarg>
#include <cstdio>

namespace zandinst {

std::string FormatText(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) {
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    return text;
}

}  // namespace zandinst
