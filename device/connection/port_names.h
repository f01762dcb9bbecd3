// The reverse of the port map: which COM name stands for a device, for listings that find
// devices first (the port inventory) and want to show them as the testers open them.
//
// Nothing here opens a port or changes the map the serial layer uses.
#pragma once

#include <string>

#include "device/connection/port_map.h"

namespace serial {

// The COM number under which the testers reach `devicePath` ("/dev/ttyUSB0"): the lowest one
// whose map entry names the same device (paths compared after resolving symbolic links, so a
// /dev/serial/by-id entry finds its tty), else n for /dev/ttyS<n-1> when the map has no entry
// of its own for COMn and no "COM* none" (10 stands for COM0 too), else 0.
int ComNumberForDevice(const PortMap& map, const std::string& devicePath);

// Reads the port map the serial layer uses, from PortMapPath(). Lines that cannot be
// understood, and a map named by $SERIALKIT_PORT_MAP that cannot be read, are reported on
// standard error; a missing map in the user's config directory is an empty map.
PortMap ReadPortMap();

}  // namespace serial
