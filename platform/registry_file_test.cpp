#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_test_support.h"

namespace registry {
namespace {

TEST(RegistryFile, TheInventorysReadsGiveWhatTheFileHolds) {
    const std::string subkey63(63, 'L');
    const std::string subkey64(64, 'M');
    const std::string name31 = "COM1:" + std::string(26, 'x');
    const std::string name32 = "COM2:" + std::string(27, 'x');
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> walk;
    } cases[] = {
        {"ports and another driver, CR LF line ends, names in any case",
         "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\01]\r\n"
         "\t\"Name\"=\"COM1:\"\r\n"
         "\t\"Key\"=\"Drivers\\\\BuiltIn\\\\Serial\"\r\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\02]\r\n"
         "\t\"Name\"=\"TEL1:\"\r\n"
         "\t\"Key\"=\"Drivers\\\\BuiltIn\\\\Unimodem\"\r\n"
         "[hkey_local_machine\\drivers\\active\\03]\r\n"
         "\t\"name\"=\"COM2:\"\r\n"
         "\t\"KEY\"=\"drivers\\\\builtin\\\\serial2\"\r\n"
         "\r\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial]\r\n"
         "\t\"Dll\"=\"pelluart.dll\"\r\n"
         "\t\"FriendlyName\"=\"Pellix Port 1 IRQ 5\"\r\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Unimodem]\r\n"
         "\t\"DLL\"=\"unimodem.dll\"\r\n"
         "\t\"FriendlyName\"=\"Hayes Compatible\"\r\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial2]\r\n"
         "\t\"DLL\"=\"pelluart.dll\"\r\n"
         "\t\"FriendlyName\"=\"Pellix Port 2 IRQ 5\"\r\n",
         {"01: Name=COM1: Key=Drivers\\BuiltIn\\Serial DLL=pelluart.dll "
          "FriendlyName=Pellix Port 1 IRQ 5",
          "02: Name=TEL1: Key=Drivers\\BuiltIn\\Unimodem DLL=unimodem.dll "
          "FriendlyName=Hayes Compatible",
          "03: Name=COM2: Key=drivers\\builtin\\serial2 DLL=pelluart.dll "
          "FriendlyName=Pellix Port 2 IRQ 5",
          "end ERROR_NO_MORE_ITEMS"}},
        {"missing values",
         "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\NoName]\n"
         "\"Key\"=\"Drivers\\\\X\"\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\NoKey]\n"
         "\"Name\"=\"COM3:\"\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\Bare]\n"
         "\"Name\"=\"COM4:\"\n"
         "\"Key\"=\"Drivers\\\\Empty\"\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\Empty]\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\X]\n"
         "\"DLL\"=\"x.dll\"\n",
         {"NoName: Name=ERROR_FILE_NOT_FOUND Key=Drivers\\X DLL=x.dll "
          "FriendlyName=ERROR_FILE_NOT_FOUND",
          "NoKey: Name=COM3: Key=ERROR_FILE_NOT_FOUND",
          "Bare: Name=COM4: Key=Drivers\\Empty DLL=ERROR_FILE_NOT_FOUND "
          "FriendlyName=ERROR_FILE_NOT_FOUND",
          "end ERROR_NO_MORE_ITEMS"}},
        {"driver keys that do not exist",
         "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\01]\n"
         "\"Name\"=\"COM1:\"\n"
         "\"Key\"=\"Drivers\\\\Gone\"\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\02]\n"
         "\"Name\"=\"COM2:\"\n"
         "\"Key\"=\"\\\\Drivers\\\\Here\"\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\03]\n"
         "\"Name\"=\"COM3:\"\n"
         "\"Key\"=\"Drivers\\\\Here\"\n"
         "[HKEY_LOCAL_MACHINE\\Drivers\\Here]\n"
         "\"DLL\"=\"here.dll\"\n"
         "\"FriendlyName\"=\"Here\"\n",
         {"01: Name=COM1: Key=Drivers\\Gone ERROR_FILE_NOT_FOUND",
          "02: Name=COM2: Key=\\Drivers\\Here ERROR_BAD_PATHNAME",
          "03: Name=COM3: Key=Drivers\\Here DLL=here.dll FriendlyName=Here",
          "end ERROR_NO_MORE_ITEMS"}},
        {"names at and past the buffers: 63 and 64 characters of subkey, 31 and 32 of Name",
         "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\" + subkey63 + "]\n\"Name\"=\"" + name31 +
             "\"\n"
             "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\Long]\n\"Name\"=\"" +
             name32 +
             "\"\n"
             "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\" +
             subkey64 +
             "]\n\"Name\"=\"COM5:\"\n"
             "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\After]\n\"Name\"=\"COM6:\"\n",
         {subkey63 + ": Name=" + name31 + " Key=ERROR_FILE_NOT_FOUND",
          "Long: Name=ERROR_MORE_DATA Key=ERROR_FILE_NOT_FOUND", "end ERROR_MORE_DATA"}},
        {"no Drivers\\Active",
         "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial]\n\"Dll\"=\"pelluart.dll\"\n",
         {"Drivers\\Active ERROR_FILE_NOT_FOUND"}},
        {"an empty file", "", {"Drivers\\Active ERROR_FILE_NOT_FOUND"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LoadViewFromFile(dir.Write("case.reg", c.text)), std::vector<std::string>());
        EXPECT_EQ(WalkActiveDrivers(), c.walk);
        EXPECT_EQ(OpenKeyCount(), 0);
    }
}

// The value `name` of the key at `path`, as bytes, with its type.
std::vector<BYTE> Value(const char16_t* path, const char16_t* name, DWORD* type) {
    HKEY key{};
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key), ERROR_SUCCESS);
    BYTE data[256] = {};
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExW(key, name, nullptr, type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        return {};
    }
    return std::vector<BYTE>(data, data + size);
}

std::vector<BYTE> Text(std::u16string_view text) {
    std::vector<BYTE> bytes((text.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(char16_t));
    return bytes;
}

std::vector<BYTE> Dword(DWORD number) {
    std::vector<BYTE> bytes(sizeof number);
    std::memcpy(bytes.data(), &number, sizeof number);
    return bytes;
}

TEST(RegistryFile, LinesThatCannotBeUnderstoodAreReportedWithTheirLineAndLeftOut) {
    const char* text =
        "; comment\n"
        "\"Orphan\"=\"before any key\"\n"
        "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\01]\n"
        "\"Name\"=\"COM1:\"\n"
        "\"Key\"=\"Drivers\\\\Serial1\"\n"
        "\"Name2\"=\"unterminated\n"
        "\"Irq\"=dword:12345678\n"
        "\"Big\"=dword:123456789\n"
        "\"Bytes\"=hex: 0a,FF, 7\n"
        "\"BadBytes\"=hex:0a,,ff\n"
        "\"Multi\"=hex(7):00,00\n"
        "  \"Spaced\" = \"fine\"  \n"
        "Termivo.exe  c:\\qrv_stuff\\Termivo.exe  NK S\n"
        "[HKEY_CURRENT_USER\\Drivers\\Serial1]\n"
        "\"DLL\"=\"dropped.dll\"\n"
        "[HKEY_LOCAL_MACHINE\\Drivers\\\\Serial1]\n"
        "\"DLL\"=\"dropped.dll\"\n"
        "[HKEY_LOCAL_MACHINE\\Drivers\\Serial1\n"
        "[HKEY_LOCAL_MACHINE\\Drivers\\Serial1]\n"
        "\"DLL\"=\"serial.dll\"\n"
        "\"FriendlyName\"=\"A \\\"quoted\\\" \\\\ name\"\n"
        "\"Bad\"=\"\xff\"\n"
        "@=\"default\"\n"
        "\"Tail\"=\"x\" junk\n";
    TempDir dir;
    const std::vector<std::string> expected = {
        "reg:2: a value before the first key; line ignored",
        "reg:6: the text has no closing quote; line ignored",
        "reg:8: 'dword:123456789' is not dword: and a hexadecimal number of up to 8 digits; "
        "line ignored",
        "reg:10: 'hex:0a,,ff' is not hex: and a list of bytes like 0a,ff; line ignored",
        "reg:11: unknown value type 'hex(7)' (expected text in quotes, dword: or hex:); line "
        "ignored",
        "reg:13: 'Termivo.exe  c:\\qrv_stuff\\Termivo.exe  NK S' is not a key, a value or a "
        "comment; line ignored",
        "reg:14: 'HKEY_CURRENT_USER\\Drivers\\Serial1' is not a key under HKEY_LOCAL_MACHINE; "
        "key and its values ignored",
        "reg:16: 'HKEY_LOCAL_MACHINE\\Drivers\\\\Serial1' has an empty key name; key and its "
        "values ignored",
        "reg:18: the key name has no closing ']'; key and its values ignored",
        "reg:22: the text is not UTF-8; line ignored",
        "reg:24: unexpected 'junk' after the text; line ignored",
    };
    const std::string path = dir.Write("reg", text);
    std::vector<std::string> problems = LoadViewFromFile(path);
    for (std::string& problem : problems) {
        problem.erase(0, dir.path().string().size() + 1);
    }
    EXPECT_EQ(problems, expected);

    EXPECT_EQ(WalkActiveDrivers(),
              (std::vector<std::string>{"01: Name=COM1: Key=Drivers\\Serial1 DLL=serial.dll "
                                        "FriendlyName=A \"quoted\" \\ name",
                                        "end ERROR_NO_MORE_ITEMS"}));
    DWORD type = 0;
    EXPECT_EQ(Value(u"Drivers\\Active\\01", u"Irq", &type), Dword(0x12345678));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(Value(u"Drivers\\Active\\01", u"Bytes", &type), (std::vector<BYTE>{0x0a, 0xff, 7}));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(Value(u"Drivers\\Active\\01", u"Spaced", &type), Text(u"fine"));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(Value(u"Drivers\\Serial1", nullptr, &type), Text(u"default"));
    EXPECT_EQ(Value(u"Drivers\\Serial1", u"Bad", &type), std::vector<BYTE>());
    EXPECT_EQ(OpenKeyCount(), 0);
}

TEST(RegistryFile, TheWizardsOutputReadsBackExceptItsImageManifestLines) {
    TempDir dir;
    const std::string sample = GENERATOR_TESTDATA "/pellix_sample.golden";
    const std::vector<std::string> expected = {
        sample +
            ":49: 'Termivo.exe  c:\\qrv_stuff\\Termivo.exe  NK S' is not a key, a value or "
            "a comment; line ignored",
        sample +
            ":50: 'pelluart.dll  c:\\qrv_stuff\\PELLUart.dll  NK SH' is not a key, a value "
            "or a comment; line ignored",
    };
    EXPECT_EQ(LoadViewFromFile(sample), expected);

    DWORD type = 0;
    EXPECT_EQ(Value(u"Drivers\\BuiltIn\\Serial2", u"FriendlyName", &type),
              Text(u"Pellix Port 2 IRQ 5"));
    EXPECT_EQ(Value(u"Drivers\\BuiltIn\\Serial2", u"IoBase", &type), Dword(0x308));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(Value(u"Drivers\\BuiltIn\\Serial", u"DevConfig", &type).size(), 25u);
    EXPECT_EQ(type, REG_BINARY);
}

TEST(RegistryFile, AFileThatCannotBeReadIsReportedAndLeavesTheViewEmpty) {
    TempDir dir;
    const std::string path = (dir.path() / "missing.reg").string();
    EXPECT_EQ(LoadViewFromFile(path),
              std::vector<std::string>{path + ": cannot read it: No such file or directory"});
    EXPECT_EQ(WalkActiveDrivers(),
              std::vector<std::string>{"Drivers\\Active ERROR_FILE_NOT_FOUND"});
}

}  // namespace
}  // namespace registry
