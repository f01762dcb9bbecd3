// Screen text (UTF-16 code units) as UTF-8, for files and standard output.
#pragma once

#include <string>

namespace device {

// A lone surrogate becomes U+FFFD.
std::string ToUtf8(const std::u16string& text);

}  // namespace device
