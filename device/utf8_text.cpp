#include "device/utf8_text.h"

namespace device {

namespace {

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c < 0xDC00;
}

bool IsLow(char16_t c) {
    return c >= 0xDC00 && c < 0xE000;
}

}  // namespace

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            AppendCodePoint(out, 0x10000 + ((char32_t{c} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHigh(c) || IsLow(c)) {
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, c);
        }
    }
    return out;
}

std::wstring AsciiToWide(std::string_view text) {
    std::wstring wide;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            wide.push_back(static_cast<wchar_t>(c));
        } else if ((c & 0xC0) != 0x80) {
            wide.push_back(L'?');  // the first byte of a UTF-8 sequence; the rest are skipped
        }
    }
    return wide;
}

std::string WideToAscii(const wchar_t* text) {
    std::string ascii;
    for (; *text != L'\0'; ++text) {
        ascii.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    }
    return ascii;
}

}  // namespace device
