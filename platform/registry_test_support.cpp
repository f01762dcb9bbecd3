#include "platform/registry_test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <fstream>

namespace registry {

namespace {

constexpr DWORD kSubkeyChars = 64;
constexpr DWORD kNameBytes = 64;
constexpr DWORD kValueBytes = 256;

// Test texts are ASCII; anything else shows as '?'.
std::string Narrow(std::u16string_view text) {
    std::string narrow;
    for (const char16_t c : text) {
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return narrow;
}

// Reads a text value as the inventory does: up to its terminator, within `limit` bytes.
bool ReadText(HKEY key, const char16_t* name, DWORD limit, std::u16string* text,
              std::string* shown) {
    BYTE bytes[kValueBytes];
    DWORD size = limit;
    const LONG result = RegQueryValueExW(key, name, nullptr, nullptr, bytes, &size);
    if (result != ERROR_SUCCESS) {
        *shown = ResultName(result);
        return false;
    }
    char16_t buffer[kValueBytes / sizeof(char16_t) + 1] = {};  // a terminator even when full
    std::memcpy(buffer, bytes, size);
    *text = std::u16string(buffer, std::char_traits<char16_t>::length(buffer));
    *shown = Narrow(*text);
    return true;
}

std::string WalkEntry(const std::u16string& subkey) {
    std::string line = Narrow(subkey) + ":";
    HKEY entry{};
    const std::u16string path = u"Drivers\\Active\\" + subkey;
    if (const LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, 0, &entry)) {
        return line + " " + ResultName(result);
    }
    std::u16string text;
    std::string shown;
    ReadText(entry, u"Name", kNameBytes, &text, &shown);
    line += " Name=" + shown;
    if (ReadText(entry, u"Key", kValueBytes, &text, &shown)) {
        line += " Key=" + shown;
        HKEY driver{};
        if (const LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, text.c_str(), 0, 0, &driver)) {
            line += " " + ResultName(result);
        } else {
            ReadText(driver, u"DLL", kValueBytes, &text, &shown);
            line += " DLL=" + shown;
            ReadText(driver, u"FriendlyName", kValueBytes, &text, &shown);
            line += " FriendlyName=" + shown;
            EXPECT_EQ(RegCloseKey(driver), ERROR_SUCCESS);
        }
    } else {
        line += " Key=" + shown;
    }
    EXPECT_EQ(RegCloseKey(entry), ERROR_SUCCESS);
    return line;
}

}  // namespace

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "registry-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a scratch directory";
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::string TempDir::Write(const std::string& name, const std::string& text) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
}

std::string ResultName(LONG result) {
    switch (result) {
        case ERROR_SUCCESS:
            return "ERROR_SUCCESS";
        case ERROR_FILE_NOT_FOUND:
            return "ERROR_FILE_NOT_FOUND";
        case ERROR_ACCESS_DENIED:
            return "ERROR_ACCESS_DENIED";
        case ERROR_INVALID_HANDLE:
            return "ERROR_INVALID_HANDLE";
        case ERROR_INVALID_PARAMETER:
            return "ERROR_INVALID_PARAMETER";
        case ERROR_BAD_PATHNAME:
            return "ERROR_BAD_PATHNAME";
        case ERROR_MORE_DATA:
            return "ERROR_MORE_DATA";
        case ERROR_NO_MORE_ITEMS:
            return "ERROR_NO_MORE_ITEMS";
        default:
            return std::to_string(result);
    }
}

std::vector<std::string> WalkActiveDrivers() {
    std::vector<std::string> lines;
    HKEY active{};
    if (const LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\Active", 0, 0, &active)) {
        lines.push_back("Drivers\\Active " + ResultName(result));
        return lines;
    }
    for (DWORD index = 0;; ++index) {
        char16_t name[kSubkeyChars];
        DWORD chars = kSubkeyChars;
        const LONG result =
            RegEnumKeyExW(active, index, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) {
            lines.push_back("end " + ResultName(result));
            break;
        }
        lines.push_back(WalkEntry(std::u16string(name, chars)));
    }
    EXPECT_EQ(RegCloseKey(active), ERROR_SUCCESS);
    return lines;
}

}  // namespace registry
