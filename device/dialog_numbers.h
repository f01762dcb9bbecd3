// Numbers typed into the settings dialogs: leading white space is skipped, an optional sign
// and the decimal digits after it are read, and what follows is ignored; text without such
// digits gives 0. A value beyond `low` .. `high` gives the nearer bound instead of wrapping.
#pragma once

#include <cstdint>
#include <string_view>

namespace device {

std::int64_t LeadingNumber(std::string_view text, std::int64_t low, std::int64_t high);

}  // namespace device
