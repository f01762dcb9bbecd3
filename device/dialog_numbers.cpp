#include "device/dialog_numbers.h"

#include <algorithm>

namespace device {

std::int64_t LeadingNumber(std::string_view text, std::int64_t low, std::int64_t high) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Far beyond any bound, and far from overflowing while digits are added.
    constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(kCeiling, value * 10 + (text[i] - '0'));
    }
    return std::clamp(negative ? -value : value, low, high);
}

}  // namespace device
