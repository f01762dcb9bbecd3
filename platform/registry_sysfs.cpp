#include "platform/registry_sysfs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>

namespace registry {

namespace {

namespace fs = std::filesystem;

constexpr char kDriverKeyPrefix[] = "Drivers\\Serial\\";
constexpr char kSerialCoreBus[] = "serial-base";
constexpr int kNoUart = 0;

// UART types as the kernel's serial core numbers them, named as its 8250 driver names them.
struct UartType {
    int type;
    const char* name;
};
constexpr UartType kUartTypes[] = {
    {1, "8250"},      {2, "16450"},     {3, "16550"},   {4, "16550A"},    {5, "Cirrus"},
    {6, "ST16650"},   {7, "ST16650V2"}, {8, "TI16750"}, {9, "Startech"},  {10, "16C950/954"},
    {11, "ST16654"},  {12, "XR16850"},  {13, "RSA"},    {14, "NS16550A"}, {15, "XScale"},
    {21, "XR17D15X"}, {24, "XR17V35X"},
};

struct TtyPort {
    std::string ttyName;
    std::string devicePath;
    std::string driver;
    std::string description;  // empty: none known
    int comNumber = 0;
};

// The first line of a sysfs attribute without its line end; false when it cannot be read.
bool ReadAttribute(const fs::path& file, std::string* text) {
    std::ifstream in(file);
    if (!in || !std::getline(in, *text)) {
        return false;
    }
    while (!text->empty() && std::isspace(static_cast<unsigned char>(text->back()))) {
        text->pop_back();
    }
    return true;
}

// The last name of a symbolic link's target ("ftdi_sio" for .../drivers/ftdi_sio); empty
// when there is no link.
std::string LinkName(const fs::path& link) {
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    return error ? std::string() : target.filename().string();
}

// The device a driver serves for this tty: its device, or the first one above the serial
// core's own port and controller devices.
fs::path ServedDevice(const fs::path& ttyDir) {
    std::error_code error;
    fs::path device = fs::canonical(ttyDir / "device", error);
    if (error) {
        return {};
    }
    while (LinkName(device / "subsystem") == kSerialCoreBus && device != device.root_path()) {
        device = device.parent_path();
    }
    return device;
}

// The USB product string of the USB device at or above `device`, below `top`; empty when the
// device is not on USB.
std::string UsbDescription(fs::path device, const fs::path& top) {
    for (; device != top && device != device.root_path(); device = device.parent_path()) {
        std::string vendor;
        if (!ReadAttribute(device / "idVendor", &vendor)) {
            continue;
        }
        std::string product;
        if (ReadAttribute(device / "product", &product) && !product.empty()) {
            return product;
        }
        ReadAttribute(device / "idProduct", &product);
        return "USB " + vendor + ":" + product;
    }
    return {};
}

std::string UartTypeName(int type) {
    for (const UartType& known : kUartTypes) {
        if (known.type == type) {
            return known.name;
        }
    }
    return "UART type " + std::to_string(type);
}

// The device node name from the tty's uevent (DEVNAME=...), else the tty's own name.
std::string DeviceName(const fs::path& ttyDir, const std::string& ttyName) {
    constexpr std::string_view kDevName = "DEVNAME=";
    std::ifstream in(ttyDir / "uevent");
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(kDevName) && line.size() > kDevName.size()) {
            return line.substr(kDevName.size());
        }
    }
    return ttyName;
}

// Reads one tty; false when it is not an active serial port.
bool ReadTty(const fs::path& ttyDir, const fs::path& top, TtyPort* port) {
    const fs::path device = ServedDevice(ttyDir);
    if (device.empty()) {
        return false;
    }
    port->driver = LinkName(device / "driver");
    if (port->driver.empty()) {
        return false;
    }
    std::string typeText;
    int type = -1;
    if (ReadAttribute(ttyDir / "type", &typeText)) {
        const auto [end, error] =
            std::from_chars(typeText.data(), typeText.data() + typeText.size(), type);
        if (error != std::errc() || end != typeText.data() + typeText.size()) {
            type = -1;
        }
    }
    if (type == kNoUart) {
        return false;
    }
    port->description = UsbDescription(device, top);
    if (port->description.empty() && type > 0) {
        port->description = UartTypeName(type);
    }
    port->devicePath = "/dev/" + DeviceName(ttyDir, port->ttyName);
    return true;
}

// ttyS2 before ttyS10: names compare by their text before the trailing digits, then by the
// number those digits make.
bool NameBefore(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& name) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) {
            --digits;
        }
        const std::string number = name.substr(digits);
        return std::make_tuple(name.substr(0, digits), number.size(), number);
    };
    return split(a) < split(b);
}

bool PortBefore(const TtyPort& a, const TtyPort& b) {
    const bool aNamed = a.comNumber > 0;
    const bool bNamed = b.comNumber > 0;
    if (aNamed != bNamed) {
        return aNamed;
    }
    if (aNamed && a.comNumber != b.comNumber) {
        return a.comNumber < b.comNumber;
    }
    return NameBefore(a.ttyName, b.ttyName);
}

}  // namespace

RegistryKey BuildSysfsView(const std::string& sysfsRoot, const ComNamer& namer,
                           std::vector<std::string>* problems) {
    RegistryKey root;
    root.name = u"HKEY_LOCAL_MACHINE";
    RegistryKey& drivers = AddSubkey(root, u"Drivers");
    RegistryKey& active = AddSubkey(drivers, u"Active");

    std::error_code error;
    const fs::path ttyClass = fs::path(sysfsRoot) / "class" / "tty";
    fs::directory_iterator entries(ttyClass, error);
    std::error_code rootError;
    const fs::path top = fs::canonical(sysfsRoot, rootError);
    std::vector<TtyPort> ports;
    while (!error && entries != fs::directory_iterator()) {
        TtyPort port;
        port.ttyName = entries->path().filename().string();
        if (ReadTty(entries->path(), top, &port)) {
            port.comNumber = namer ? namer(port.devicePath) : 0;
            ports.push_back(std::move(port));
        }
        entries.increment(error);
    }
    if (error) {
        problems->push_back(ttyClass.string() + ": cannot read it: " + error.message());
    }
    std::sort(ports.begin(), ports.end(), PortBefore);

    RegistryKey& serial = AddSubkey(drivers, u"Serial");
    for (const TtyPort& port : ports) {
        const std::u16string ttyName = Utf16FromUtf8(port.ttyName);
        RegistryKey& entry = AddSubkey(active, ttyName);
        SetText(entry, u"Name",
                port.comNumber > 0 ? Utf16FromUtf8("COM" + std::to_string(port.comNumber) + ":")
                                   : ttyName);
        SetText(entry, u"Key", Utf16FromUtf8(kDriverKeyPrefix + port.ttyName));
        RegistryKey& driverKey = AddSubkey(serial, ttyName);
        SetText(driverKey, u"DLL", Utf16FromUtf8(port.driver));
        if (!port.description.empty()) {
            SetText(driverKey, u"FriendlyName", Utf16FromUtf8(port.description));
        }
    }
    return root;
}

}  // namespace registry
