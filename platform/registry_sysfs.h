// This machine's serial ports, read from sysfs, as the registry entries of active drivers.
//
// Every tty under <root>/class/tty whose device a kernel driver serves becomes two keys:
//   Drivers\Active\<tty>   "Name" = "COM<n>:" as the namer gives it, or the tty's own name
//                          (ttyUSB0) when it has no COM name; "Key" = "Drivers\Serial\<tty>"
//   Drivers\Serial\<tty>   "DLL" = the driver's name (serial8250, serial, ftdi_sio, cdc_acm),
//                          "FriendlyName" = the description
// The driver is the one bound to the tty's device; the serial core's own port and controller
// devices (bus serial-base, kernel 6.5 and later) are skipped to reach the device above them.
// The description is the USB product string of a USB adapter ("USB <vendor>:<product>" ids
// when it has none), else the UART type of a built-in port ("16550A"); a port with neither has
// no FriendlyName. A built-in UART slot whose type is 0 holds no UART and is left out, while a
// port whose type cannot be read is listed. Nothing is opened, so ports the user may not open
// are listed too.
//
// Entries come in COM number order, then the ports without a COM name by tty name (ttyS2
// before ttyS10). "Drivers\Active" exists even when no port does.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_tree.h"

namespace registry {

// Returns HKEY_LOCAL_MACHINE with the entries of the ttys under `sysfsRoot`. When
// <root>/class/tty cannot be listed, why is appended to `problems`.
RegistryKey BuildSysfsView(const std::string& sysfsRoot, const ComNamer& namer,
                           std::vector<std::string>* problems);

}  // namespace registry
