#include "desktop/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace haberon {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the number at the start of `text` (after blanks); sets `*end` to where it stopped.
// Nothing read gives nullopt.
std::optional<double> ReadNumber(std::string_view text, std::size_t* end) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    const std::size_t start = at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    std::size_t digits = 0;
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
        ++digits;
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && IsDigit(text[at])) {
            ++at;
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    // An exponent counts only when digits follow it ("2e" is 2).
    bool negativeExponent = false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            negativeExponent = text[exponent] == '-';
            ++exponent;
        }
        if (exponent < text.size() && IsDigit(text[exponent])) {
            at = exponent;
            while (at < text.size() && IsDigit(text[at])) {
                ++at;
            }
        }
    }
    *end = at;
    // from_chars takes no plus sign.
    std::size_t first = start;
    const bool negative = text[first] == '-';
    if (text[first] == '+' || negative) {
        ++first;
    }
    double value = 0;
    const std::errc error =
        std::from_chars(text.data() + first, text.data() + at, value, std::chars_format::general)
            .ec;
    if (error == std::errc::result_out_of_range) {
        // Below the smallest step of a double, or past its range.
        value = negativeExponent ? 0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

template <typename Integer>
Integer Floored(double value) {
    const double low = std::numeric_limits<Integer>::min();
    const double high = std::numeric_limits<Integer>::max();
    return static_cast<Integer>(std::clamp(std::floor(value), low, high));
}

}  // namespace

double LeadingNumber(std::string_view text) {
    std::size_t end = 0;
    return ReadNumber(text, &end).value_or(0);
}

std::int16_t PortNumberFromText(std::string_view text) {
    return Floored<std::int16_t>(LeadingNumber(text));
}

std::int32_t RateFromText(std::string_view text) {
    return Floored<std::int32_t>(LeadingNumber(text));
}

std::optional<double> StoredNumber(std::string_view text) {
    std::size_t end = 0;
    const std::optional<double> value = ReadNumber(text, &end);
    while (end < text.size() && IsBlank(text[end])) {
        ++end;
    }
    if (!value || end != text.size() || !std::isfinite(*value)) {
        return std::nullopt;
    }
    return value;
}

std::string SingleText(double value) {
    std::array<char, 32> text{};
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), static_cast<float>(value));
    return std::string(text.data(), result.ptr);
}

}  // namespace haberon
