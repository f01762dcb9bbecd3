#include "platform/registry_file.h"

#include <cctype>
#include <charconv>
#include <cstring>

#include "platform/ascii_text.h"

namespace registry {

namespace {

using text::Quoted;
using text::StartsWithNoCase;

constexpr std::u16string_view kRootName = u"HKEY_LOCAL_MACHINE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::size_t kDwordDigits = 8;
constexpr std::size_t kByteDigits = 2;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Reads the quoted text at the start of `rest` and removes it from `rest`. Returns false when
// the closing quote is missing.
bool ReadQuoted(std::string_view& rest, std::string* text) {
    for (std::size_t i = 1; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '\\' && i + 1 < rest.size() && (rest[i + 1] == '\\' || rest[i + 1] == '"')) {
            text->push_back(rest[++i]);
        } else if (c == '"') {
            rest.remove_prefix(i + 1);
            return true;
        } else {
            text->push_back(c);
        }
    }
    return false;
}

// Reads 1 to maxDigits hexadecimal digits, all of `digits`.
bool ReadHex(std::string_view digits, std::size_t maxDigits, std::uint32_t* number) {
    if (digits.empty() || digits.size() > maxDigits) {
        return false;
    }
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), *number, 16);
    return error == std::errc() && end == digits.data() + digits.size();
}

// Reads the data after '=' into `value`; returns why it cannot, or empty.
std::string ReadData(std::string_view data, RegistryValue* value, bool* valid) {
    if (data.starts_with('"')) {
        std::string text;
        if (!ReadQuoted(data, &text)) {
            return "the text has no closing quote";
        }
        if (!Trim(data).empty()) {
            return "unexpected " + Quoted(Trim(data)) + " after the text";
        }
        value->type = REG_SZ;
        value->data = TextData(Utf16FromUtf8(text, valid));
    } else if (StartsWithNoCase(data, "dword:")) {
        std::string_view digits = Trim(data.substr(6));
        if (StartsWithNoCase(digits, "0x")) {
            digits.remove_prefix(2);
        }
        std::uint32_t number = 0;
        if (!ReadHex(digits, kDwordDigits, &number)) {
            return Quoted(data) + " is not dword: and a hexadecimal number of up to 8 digits";
        }
        value->type = REG_DWORD;
        value->data.resize(sizeof number);
        std::memcpy(value->data.data(), &number, sizeof number);
    } else if (StartsWithNoCase(data, "hex:")) {
        std::string_view bytes = Trim(data.substr(4));
        value->type = REG_BINARY;
        while (!bytes.empty()) {
            const std::size_t comma = bytes.find(',');
            std::uint32_t byte = 0;
            if (!ReadHex(Trim(bytes.substr(0, comma)), kByteDigits, &byte) ||
                (comma != std::string_view::npos && comma + 1 == bytes.size())) {
                return Quoted(data) + " is not hex: and a list of bytes like 0a,ff";
            }
            value->data.push_back(static_cast<BYTE>(byte));
            bytes.remove_prefix(comma == std::string_view::npos ? bytes.size() : comma + 1);
        }
    } else {
        return "unknown value type " + Quoted(data.substr(0, data.find(':'))) +
               " (expected text in quotes, dword: or hex:)";
    }
    return {};
}

// Reads a value line; returns why it is not one, or empty.
std::string ReadValue(std::string_view line, RegistryValue* value) {
    std::string name;
    if (line.starts_with('@')) {
        line.remove_prefix(1);
    } else if (!ReadQuoted(line, &name)) {
        return "the value name has no closing quote";
    }
    line = Trim(line);
    if (!line.starts_with('=')) {
        return "expected '=' after the value name";
    }
    bool valid = true;
    value->name = Utf16FromUtf8(name, &valid);
    std::string why = ReadData(Trim(line.substr(1)), value, &valid);
    if (why.empty() && !valid) {
        why = "the text is not UTF-8";
    }
    return why;
}

// Reads a section line into the key names below HKEY_LOCAL_MACHINE; returns why it is not
// one, or empty.
std::string ReadSection(std::string_view line, std::vector<std::u16string>* names) {
    if (!line.ends_with(']')) {
        return "the key name has no closing ']'";
    }
    const std::string_view path = line.substr(1, line.size() - 2);
    bool valid = true;
    const std::u16string widePath = Utf16FromUtf8(path, &valid);
    if (!valid) {
        return "the key name is not UTF-8";
    }
    std::u16string_view rest = widePath;
    for (bool first = true;; first = false) {
        const std::size_t slash = rest.find(u'\\');
        const std::u16string_view name = rest.substr(0, slash);
        if (first && !EqualsNoCase(name, kRootName)) {
            return Quoted(path) + " is not a key under HKEY_LOCAL_MACHINE";
        }
        if (name.empty()) {
            return Quoted(path) + " has an empty key name";
        }
        if (!first) {
            names->emplace_back(name);
        }
        if (slash == std::u16string_view::npos) {
            return {};
        }
        rest.remove_prefix(slash + 1);
    }
}

}  // namespace

RegistryKey ParseRegistryText(std::string_view text, std::string_view fileName,
                              std::vector<std::string>* problems) {
    RegistryKey root;
    root.name = std::u16string(kRootName);
    if (text.starts_with(kUtf8Bom)) {
        text.remove_prefix(kUtf8Bom.size());
    }
    RegistryKey* current = nullptr;
    bool inBadSection = false;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        line = Trim(line);
        auto report = [&](const std::string& why, const char* outcome) {
            problems->push_back(std::string(fileName) + ":" + std::to_string(lineNumber) + ": " +
                                why + "; " + outcome);
        };
        if (line.empty() || line.starts_with(';')) {
            continue;
        }
        if (line.starts_with('[')) {
            std::vector<std::u16string> names;
            const std::string why = ReadSection(line, &names);
            inBadSection = !why.empty();
            current = nullptr;
            if (inBadSection) {
                report(why, "key and its values ignored");
                continue;
            }
            current = &root;
            for (const std::u16string& name : names) {
                current = &AddSubkey(*current, name);
            }
        } else if (line.starts_with('"') || line.starts_with('@')) {
            if (inBadSection) {
                continue;
            }
            RegistryValue value;
            std::string why = ReadValue(line, &value);
            if (why.empty() && !current) {
                why = "a value before the first key";
            }
            if (!why.empty()) {
                report(why, "line ignored");
                continue;
            }
            SetValue(*current, value.name, value.type, std::move(value.data));
        } else {
            report(Quoted(line) + " is not a key, a value or a comment", "line ignored");
        }
    }
    return root;
}

}  // namespace registry
