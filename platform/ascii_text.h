// Small text helpers for names and messages that are plain ASCII: port names, key paths,
// words quoted in error messages.
#pragma once

#include <string>
#include <string_view>

namespace text {

// 'word', for messages.
std::string Quoted(std::string_view word);
// Equal, or starting with `prefix`, with A-Z and a-z taken as the same.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace text
