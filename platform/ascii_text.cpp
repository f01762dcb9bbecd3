#include "platform/ascii_text.h"

namespace text {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string Quoted(std::string_view word) {
    // Built by appending: g++ 12 warns falsely on "'" + std::string.
    std::string quoted(1, '\'');
    quoted.append(word);
    quoted.push_back('\'');
    return quoted;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[i]) != Lower(prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace text
