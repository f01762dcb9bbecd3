// The tree behind the registry view: keys with named values and subkeys, kept in the order
// they were added, which is the order the view enumerates them in. A tree is built once by one
// thread and then only read, so any number of threads may read it without a lock.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace registry {

struct RegistryValue {
    std::u16string name;
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};

struct RegistryKey {
    std::u16string name;
    std::vector<RegistryValue> values;
    std::vector<std::unique_ptr<RegistryKey>> subkeys;
};

// Compares names as the registry does: the letters A-Z without case, everything else exactly.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

const RegistryKey* FindSubkey(const RegistryKey& key, std::u16string_view name);
const RegistryValue* FindValue(const RegistryKey& key, std::u16string_view name);

// The subkey `name` of `key`, added at the end when it is not there yet.
RegistryKey& AddSubkey(RegistryKey& key, std::u16string_view name);

// Sets a value, replacing one of the same name in its place.
void SetValue(RegistryKey& key, std::u16string_view name, DWORD type, std::vector<BYTE> data);
void SetText(RegistryKey& key, std::u16string_view name, std::u16string_view text);

// The bytes of a REG_SZ value: the code units of `text` and a terminating zero.
std::vector<BYTE> TextData(std::u16string_view text);

// UTF-8 to UTF-16. A byte that does not belong to a valid UTF-8 sequence becomes U+FFFD and
// sets *valid to false (when given).
std::u16string Utf16FromUtf8(std::string_view text, bool* valid = nullptr);

}  // namespace registry
