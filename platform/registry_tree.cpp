#include "platform/registry_tree.h"

#include <cstring>

namespace registry {

namespace {

char16_t FoldCase(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

constexpr char16_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i]; returns its code point and advances i, or returns
// -1 and advances i by one byte for a byte that starts no valid sequence.
long DecodeUtf8(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return static_cast<long>(lead);
    }
    std::size_t length = 0;
    long codePoint = 0;
    long lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        lowest = 0x10000;
    } else {
        ++i;
        return -1;
    }
    if (i + length > text.size()) {
        ++i;
        return -1;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogate halves and values past U+10FFFF are not UTF-8.
    if (codePoint < lowest || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
        codePoint > 0x10FFFF) {
        ++i;
        return -1;
    }
    i += length;
    return codePoint;
}

}  // namespace

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

const RegistryKey* FindSubkey(const RegistryKey& key, std::u16string_view name) {
    for (const auto& subkey : key.subkeys) {
        if (EqualsNoCase(subkey->name, name)) {
            return subkey.get();
        }
    }
    return nullptr;
}

const RegistryValue* FindValue(const RegistryKey& key, std::u16string_view name) {
    for (const RegistryValue& value : key.values) {
        if (EqualsNoCase(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

RegistryKey& AddSubkey(RegistryKey& key, std::u16string_view name) {
    for (const auto& subkey : key.subkeys) {
        if (EqualsNoCase(subkey->name, name)) {
            return *subkey;
        }
    }
    key.subkeys.push_back(std::make_unique<RegistryKey>());
    key.subkeys.back()->name = std::u16string(name);
    return *key.subkeys.back();
}

void SetValue(RegistryKey& key, std::u16string_view name, DWORD type, std::vector<BYTE> data) {
    for (RegistryValue& value : key.values) {
        if (EqualsNoCase(value.name, name)) {
            value.type = type;
            value.data = std::move(data);
            return;
        }
    }
    key.values.push_back(RegistryValue{std::u16string(name), type, std::move(data)});
}

void SetText(RegistryKey& key, std::u16string_view name, std::u16string_view text) {
    SetValue(key, name, REG_SZ, TextData(text));
}

std::vector<BYTE> TextData(std::u16string_view text) {
    std::vector<BYTE> data((text.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(data.data(), text.data(), text.size() * sizeof(char16_t));
    return data;
}

std::u16string Utf16FromUtf8(std::string_view text, bool* valid) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const long codePoint = DecodeUtf8(text, i);
        if (codePoint < 0) {
            out.push_back(kReplacement);
            if (valid) {
                *valid = false;
            }
        } else if (codePoint >= 0x10000) {
            const long offset = codePoint - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(codePoint));
        }
    }
    return out;
}

}  // namespace registry
