// How haberon reads the numbers that its boxes and its stored settings hold, and writes the
// window position back as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace haberon {

// The number a text starts with, as the form toolkit reads a box: blanks, an optional sign,
// decimal digits with an optional fraction and exponent. Whatever follows is ignored, and a
// text that does not start with a number gives 0 ("12abc" is 12, "abc" and "" are 0).
double LeadingNumber(std::string_view text);

// A port number from its box: the leading number rounded down, held to the signed 16-bit
// range (-32768 to 32767).
std::int16_t PortNumberFromText(std::string_view text);
// A baud rate from its box: the leading number rounded down, held to the signed 32-bit range.
std::int32_t RateFromText(std::string_view text);

// A stored value that is one number as a whole (blanks around it allowed); none otherwise.
std::optional<double> StoredNumber(std::string_view text);

// The shortest decimal text of `value` as a single-precision number: "1200", "1552.5".
std::string SingleText(double value);

}  // namespace haberon
