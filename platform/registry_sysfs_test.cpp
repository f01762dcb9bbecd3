#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_test_support.h"

namespace registry {
namespace {

namespace fs = std::filesystem;

// A folder laid out like /sys: the devices, the drivers bound to them, and class/tty.
class FakeSysfs {
  public:
    // A device folder below devices/, with the driver bound to it and its bus.
    void Device(const std::string& device, const std::string& bus, const std::string& driver) {
        const fs::path folder = dir_.path() / "devices" / device;
        fs::create_directories(folder);
        fs::create_directories(dir_.path() / "bus" / bus / "drivers" / driver);
        fs::create_directory_symlink(dir_.path() / "bus" / bus, folder / "subsystem");
        fs::create_directory_symlink(dir_.path() / "bus" / bus / "drivers" / driver,
                                     folder / "driver");
    }
    // A tty below a device folder (or without a device when `device` is empty), listed in
    // class/tty, with its serial core type when `type` is given.
    void Tty(const std::string& device, const std::string& name, const char* type = nullptr) {
        const fs::path parent = device.empty() ? fs::path("virtual") : fs::path(device);
        const fs::path folder = dir_.path() / "devices" / parent / "tty" / name;
        fs::create_directories(folder);
        dir_.Write((folder / "uevent").string().substr(Root().size() + 1),
                   "MAJOR=4\nMINOR=64\nDEVNAME=" + name + "\n");
        if (!device.empty()) {
            fs::create_directory_symlink("../..", folder / "device");
        }
        if (type) {
            dir_.Write((folder / "type").string().substr(Root().size() + 1), type);
        }
        fs::create_directories(dir_.path() / "class" / "tty");
        fs::create_directory_symlink(fs::relative(folder, dir_.path() / "class" / "tty"),
                                     dir_.path() / "class" / "tty" / name);
    }
    void Attribute(const std::string& device, const std::string& name, const std::string& text) {
        dir_.Write("devices/" + device + "/" + name, text + "\n");
    }
    std::string Root() const { return dir_.path().string(); }

  private:
    TempDir dir_;
};

TEST(RegistrySysfs, SerialTtysAppearWithTheirDriversDescriptionsAndComNames) {
    FakeSysfs sysfs;
    // A USB adapter: the usb-serial port below the interface below the USB device.
    const std::string usb = "pci0000:00/0000:00:14.0/usb1/1-2";
    sysfs.Device(usb, "usb", "usb");
    sysfs.Attribute(usb, "idVendor", "0403");
    sysfs.Attribute(usb, "idProduct", "6001");
    sysfs.Attribute(usb, "product", "FT232R USB UART");
    sysfs.Device(usb + "/1-2:1.0", "usb", "ftdi_sio");
    sysfs.Device(usb + "/1-2:1.0/ttyUSB0", "usb-serial", "ftdi_sio");
    sysfs.Tty(usb + "/1-2:1.0/ttyUSB0", "ttyUSB0");
    // A modem-class adapter without a product string: the tty hangs on the interface.
    const std::string acm = "pci0000:00/0000:00:14.0/usb1/1-3";
    sysfs.Device(acm, "usb", "usb");
    sysfs.Attribute(acm, "idVendor", "2341");
    sysfs.Attribute(acm, "idProduct", "0043");
    sysfs.Device(acm + "/1-3:1.0", "usb", "cdc_acm");
    sysfs.Tty(acm + "/1-3:1.0", "ttyACM0");
    // Built-in UARTs of the legacy platform device: one present, one empty slot.
    sysfs.Device("platform/serial8250", "platform", "serial8250");
    sysfs.Tty("platform/serial8250", "ttyS0", "4\n");
    sysfs.Tty("platform/serial8250", "ttyS1", "0\n");
    // A UART found by PNP, behind the serial core's own controller and port devices.
    sysfs.Device("pnp0/00:01", "pnp", "serial");
    sysfs.Device("pnp0/00:01/00:01:0", "serial-base", "ctrl");
    sysfs.Device("pnp0/00:01/00:01:0/00:01:0.0", "serial-base", "port");
    sysfs.Tty("pnp0/00:01/00:01:0/00:01:0.0", "ttyS2", "14\n");
    // Neither a console without a device nor a device without a driver is a serial port.
    sysfs.Tty("", "tty0");
    fs::create_directories(sysfs.Root() + "/devices/platform/unbound");
    sysfs.Tty("platform/unbound", "ttyX0");

    const std::map<std::string, int> comNumbers = {
        {"/dev/ttyUSB0", 5}, {"/dev/ttyS0", 1}, {"/dev/ttyS1", 2}, {"/dev/ttyS2", 3}};
    std::vector<std::string> asked;
    const auto namer = [&](const std::string& devicePath) {
        asked.push_back(devicePath);
        const auto found = comNumbers.find(devicePath);
        return found == comNumbers.end() ? 0 : found->second;
    };
    EXPECT_EQ(LoadViewFromSysfs(sysfs.Root(), namer), std::vector<std::string>());
    const std::vector<std::string> expected = {
        "ttyS0: Name=COM1: Key=Drivers\\Serial\\ttyS0 DLL=serial8250 FriendlyName=16550A",
        "ttyS2: Name=COM3: Key=Drivers\\Serial\\ttyS2 DLL=serial FriendlyName=NS16550A",
        "ttyUSB0: Name=COM5: Key=Drivers\\Serial\\ttyUSB0 DLL=ftdi_sio "
        "FriendlyName=FT232R USB UART",
        "ttyACM0: Name=ttyACM0 Key=Drivers\\Serial\\ttyACM0 DLL=cdc_acm "
        "FriendlyName=USB 2341:0043",
        "end ERROR_NO_MORE_ITEMS",
    };
    EXPECT_EQ(WalkActiveDrivers(), expected);
    EXPECT_EQ(OpenKeyCount(), 0);
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS2",
                                               "/dev/ttyUSB0"}))
        << "only active serial ports are named";
}

TEST(RegistrySysfs, WithoutTtyClassTheProblemIsReportedAndNoPortIsActive) {
    TempDir empty;
    const std::string ttyClass = (empty.path() / "class" / "tty").string();
    EXPECT_EQ(LoadViewFromSysfs(empty.path().string(), nullptr),
              std::vector<std::string>{ttyClass + ": cannot read it: No such file or directory"});
    EXPECT_EQ(WalkActiveDrivers(), std::vector<std::string>{"end ERROR_NO_MORE_ITEMS"});
}

}  // namespace
}  // namespace registry
