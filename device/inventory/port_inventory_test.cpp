// The inventory as the screen shows it, over small registry files: which entries are listed,
// the columns, and that every key opened is closed again.
#include "device/inventory/port_inventory.h"

#include <cstdio>
#include <fstream>

#include "device/resource_ids.h"
#include "device/window/window_fixture.h"
#include "platform/registry.h"

namespace device {
namespace {

using testing::WindowTest;

const std::u16string kHeader0 = u"--------------- ACTIVE PORTS ------------------";

class InventoryTest : public WindowTest {
  protected:
    void TearDown() override {
        std::remove(path_.c_str());
        WindowTest::TearDown();
    }

    std::vector<std::u16string> ListFrom(const std::string& text) {
        std::ofstream(path_, std::ios::binary) << text;
        registry::LoadViewFromFile(path_);
        std::vector<std::u16string> lines = ActivePortLines();
        EXPECT_EQ(registry::OpenKeyCount(), 0) << "every key opened is closed";
        return lines;
    }

  private:
    // Other tests may run at once in other processes: each has its own file.
    std::string path_ = ::testing::TempDir() + "inventory-" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".reg";
};

// Two serial drivers and what the walk must pass over: a driver that is not a port, an
// entry without a Name, a Name too long for its 64 bytes, a Key that names nothing, missing
// driver values, and DLL texts of 5, 16 and 20 characters.
constexpr char kRegistry[] =
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\01]\r\n"
    "\"Name\"=\"COM1:\"\r\n"
    "\"Key\"=\"Drivers\\\\BuiltIn\\\\Serial\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\02]\r\n"
    "\"Name\"=\"DSK1:\"\r\n"
    "\"Key\"=\"Drivers\\\\BuiltIn\\\\Disk\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\03]\r\n"
    "\"Key\"=\"Drivers\\\\BuiltIn\\\\Serial\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\04]\r\n"
    "\"Name\"=\"COM4:-a-name-much-longer-than-thirty-one-characters\"\r\n"
    "\"Key\"=\"Drivers\\\\BuiltIn\\\\Serial\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\05]\r\n"
    "\"Name\"=\"COM5:\"\r\n"
    "\"Key\"=\"Drivers\\\\Nowhere\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\06]\r\n"
    "\"Name\"=\"COM6:\"\r\n"
    "\"Key\"=\"Drivers\\\\Bare\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\07]\r\n"
    "\"Name\"=\"COM7:\"\r\n"
    "\"Key\"=\"Drivers\\\\Sixteen\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\08]\r\n"
    "\"Name\"=\"COM8:\"\r\n"
    "\"Key\"=\"Drivers\\\\Twenty\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Serial]\r\n"
    "\"DLL\"=\"Com16550.Dll\"\r\n"
    "\"FriendlyName\"=\"Built-in UART\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Disk]\r\n"
    "\"DLL\"=\"disk.dll\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Bare]\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Sixteen]\r\n"
    "\"DLL\"=\"sixteen_chars.dl\"\r\n"
    "\"FriendlyName\"=\"S\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Drivers\\Twenty]\r\n"
    "\"DLL\"=\"twenty_characters.dl\"\r\n"
    "\"FriendlyName\"=\"T\"\r\n";

TEST_F(InventoryTest, ListsEveryComPortWithItsDriverAndSkipsTheRest) {
    const std::vector<std::u16string> lines = ListFrom(kRegistry);
    const std::vector<std::u16string> expected = {
        kHeader0,
        u"Port      DLL             Friendly Name",
        u"-----------------------------------------------",
        u"COM1:     Com16550.Dll    Built-in UART",
        u"COM6:     -               -",
        u"COM7:     sixteen_chars.dl  S",
        u"COM8:     twenty_characters.dl  T",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(InventoryTest, WithoutActiveDriversOnlyTheHeaderShows) {
    EXPECT_EQ(ListFrom("[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn]\r\n").size(), 3u);
}

TEST_F(InventoryTest, ASubkeyNameTooLongForItsBufferEndsTheWalk) {
    const std::string longName(64, 'k');
    const std::vector<std::u16string> lines = ListFrom(
        "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\01]\r\n\"Name\"=\"COM1:\"\r\n\"Key\"="
        "\"Drivers\\\\D\"\r\n"
        "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\" +
        longName +
        "]\r\n\"Name\"=\"COM2:\"\r\n\"Key\"=\"Drivers\\\\D\"\r\n"
        "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\zz]\r\n\"Name\"=\"COM3:\"\r\n\"Key\"="
        "\"Drivers\\\\D\"\r\n"
        "[HKEY_LOCAL_MACHINE\\Drivers\\D]\r\n\"DLL\"=\"d.dll\"\r\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], u"COM1:     d.dll           -");
}

TEST_F(InventoryTest, PortInfoFillsTheScreenAndNeverWritesPastIt) {
    std::string text = "[HKEY_LOCAL_MACHINE\\Drivers\\D]\r\n\"DLL\"=\"d.dll\"\r\n";
    for (int i = 10; i < 40; ++i) {
        text += "[HKEY_LOCAL_MACHINE\\Drivers\\Active\\" + std::to_string(i) +
                "]\r\n\"Name\"=\"COM" + std::to_string(i) + ":\"\r\n\"Key\"=\"Drivers\\\\D\"\r\n";
    }
    const std::string path = ::testing::TempDir() + "inventory-30.reg";
    std::ofstream(path, std::ios::binary) << text;
    setenv("SERIALKIT_REGISTRY", path.c_str(), 1);
    ASSERT_TRUE(ui::testing::ChooseMenuItem(kIdPortInfo));
    unsetenv("SERIALKIT_REGISTRY");
    std::remove(path.c_str());
    EXPECT_EQ(Row(0), kHeader0);
    EXPECT_EQ(Row(3), u"COM10:     d.dll           -");
    EXPECT_EQ(Row(23), u"COM30:     d.dll           -");
    EXPECT_EQ(Row(24), u"... 9 more ports (termivo --port-info lists them all)");
    EXPECT_EQ(registry::OpenKeyCount(), 0);
}

}  // namespace
}  // namespace device
