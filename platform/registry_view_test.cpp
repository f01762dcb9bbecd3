#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_test_support.h"

namespace registry {
namespace {

constexpr char kPorts[] =
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\01]\n"
    "\"Name\"=\"COM1:\"\n"
    "\"Key\"=\"Drivers\\\\Serial1\"\n"
    "@=\"default\"\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\0002]\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Serial1]\n"
    "\"DLL\"=\"serial.dll\"\n"
    "\"FriendlyName\"=\"Port\"\n";

TEST(RegistryView, CallsGiveTheResultsOfThePlatformTheyStandFor) {
    TempDir dir;
    ASSERT_TRUE(LoadViewFromFile(dir.Write("ports.reg", kPorts)).empty());

    HKEY drivers{};
    HKEY key{};
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"DRIVERS\\", 0, KEY_READ, &drivers),
              ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(drivers, u"Active\\01", 0, 0, &key), ERROR_SUCCESS)
        << "a path below an open key";
    EXPECT_EQ(OpenKeyCount(), 2);

    // Opens that fail leave no key open and an empty handle.
    HKEY failed = HKEY{1};
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\Drivers", 0, 0, &failed), ERROR_BAD_PATHNAME);
    EXPECT_EQ(failed, HKEY{});
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\\\Active", 0, 0, &failed),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers", 0, KEY_READ | 0x0002, &failed),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers", 1, 0, &failed),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExW(HKEY{12345}, u"Drivers", 0, 0, &failed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(OpenKeyCount(), 2);

    // Values: the size alone, a buffer that fits exactly, one byte short, the default value.
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 12u) << "COM1: and its terminator, two bytes a character";
    BYTE data[12];
    std::fill(std::begin(data), std::end(data), BYTE{0xEE});
    size = 11;
    EXPECT_EQ(RegQueryValueExW(key, u"Name", nullptr, nullptr, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(data[0], 0xEE) << "a buffer that is too small is left alone";
    size = 12;
    EXPECT_EQ(RegQueryValueExW(key, u"Name", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    char16_t text[6];
    std::memcpy(text, data, sizeof text);
    EXPECT_EQ(std::u16string(text), u"COM1:");
    size = 12;
    EXPECT_EQ(RegQueryValueExW(key, u"", nullptr, nullptr, data, &size), ERROR_MORE_DATA)
        << "the default value, 16 bytes";
    EXPECT_EQ(size, 16u);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"Name", &reserved, nullptr, nullptr, &size),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExW(key, u"Nope", nullptr, nullptr, data, &size), ERROR_FILE_NOT_FOUND);

    // Subkeys: a name that fits exactly, one that does not, the end, and class and time.
    HKEY active{};
    ASSERT_EQ(RegOpenKeyExW(drivers, u"active", 0, 0, &active), ERROR_SUCCESS);
    char16_t name[5];
    DWORD chars = 4;
    EXPECT_EQ(RegEnumKeyExW(active, 1, name, &chars), ERROR_MORE_DATA) << "0002 needs five";
    EXPECT_EQ(chars, 4u);
    chars = 5;
    char16_t className[4] = u"xyz";
    DWORD classChars = 4;
    FILETIME time{7, 7};
    EXPECT_EQ(RegEnumKeyExW(active, 1, name, &chars, nullptr, className, &classChars, &time),
              ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"0002");
    EXPECT_EQ(chars, 4u);
    EXPECT_EQ(std::u16string(className), u"");
    EXPECT_EQ(time.dwLowDateTime + time.dwHighDateTime, 0u);
    chars = 5;
    EXPECT_EQ(RegEnumKeyExW(active, 2, name, &chars), ERROR_NO_MORE_ITEMS);

    // Closing: each open key once; the root any time.
    EXPECT_EQ(RegCloseKey(active), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExW(key, u"Name", nullptr, nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE)
        << "a closed handle reads nothing";
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(drivers), ERROR_SUCCESS);
    EXPECT_EQ(OpenKeyCount(), 0);
}

TEST(RegistryView, AKeyOpenedBeforeAReloadKeepsReadingWhatItOpened) {
    TempDir dir;
    ASSERT_TRUE(LoadViewFromFile(dir.Write("ports.reg", kPorts)).empty());
    HKEY key{};
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\Serial1", 0, 0, &key), ERROR_SUCCESS);

    ASSERT_TRUE(LoadViewFromFile(dir.Write("other.reg", "[HKEY_LOCAL_MACHINE\\Other]\n")).empty());
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"DLL", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 22u);
    HKEY fresh{};
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Drivers\\Serial1", 0, 0, &fresh),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(OpenKeyCount(), 0);
}

TEST(RegistryView, SerialkitRegistryNamesTheFileTheViewIsBuiltFrom) {
    TempDir dir;
    ASSERT_EQ(setenv("SERIALKIT_REGISTRY", dir.Write("ports.reg", kPorts).c_str(), 1), 0);
    ReloadView();
    unsetenv("SERIALKIT_REGISTRY");
    EXPECT_EQ(WalkActiveDrivers(),
              (std::vector<std::string>{
                  "01: Name=COM1: Key=Drivers\\Serial1 DLL=serial.dll FriendlyName=Port",
                  "0002: Name=ERROR_FILE_NOT_FOUND Key=ERROR_FILE_NOT_FOUND",
                  "end ERROR_NO_MORE_ITEMS"}));
}

TEST(RegistryView, ThreadsWalkTheViewWhileItIsReloaded) {
    TempDir dir;
    const std::string path = dir.Write("ports.reg", kPorts);
    ASSERT_TRUE(LoadViewFromFile(path).empty());
    const std::vector<std::string> expected = WalkActiveDrivers();

    constexpr int kWalkers = 3;
    constexpr int kWalks = 200;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> walkers;
    for (int i = 0; i < kWalkers; ++i) {
        walkers.emplace_back([&] {
            for (int walk = 0; walk < kWalks; ++walk) {
                if (WalkActiveDrivers() != expected) {
                    ++mismatches;
                }
            }
        });
    }
    for (int reload = 0; reload < kWalks / 10; ++reload) {
        LoadViewFromFile(path);
    }
    for (std::thread& walker : walkers) {
        walker.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(OpenKeyCount(), 0);
}

}  // namespace
}  // namespace registry
