// Screen text (UTF-16 code units) as UTF-8, for files and standard output.
#pragma once

#include <string>
#include <string_view>

namespace device {

// A lone surrogate becomes U+FFFD.
std::string ToUtf8(const std::u16string& text);
// Each ASCII character as itself; any other character of the text as '?'.
std::wstring AsciiToWide(std::string_view text);
std::string WideToAscii(const wchar_t* text);

}  // namespace device
