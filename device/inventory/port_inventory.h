// The active port inventory: the serial drivers the registry lists as active, one line per
// port with its device name, the driver's library file and the driver's friendly name.
#pragma once

#include <string>
#include <vector>

namespace device {

// The three header lines, then one line per active COM port in the registry's order. Every
// registry key opened here is closed again on every path. Ports whose entry cannot be opened,
// has no readable "Name", is not a COM port or names a driver key that cannot be opened are
// left out. A missing "DLL" or "FriendlyName" shows as "-".
std::vector<std::u16string> ActivePortLines();

// Clears the screen and writes the inventory from row 0. When there are more ports than the
// 22 rows under the header, the last row says how many more there are.
void ListActivePorts();

// Builds the registry view afresh, naming devices through the port map as it is now, so that
// a listing shows the adapters plugged in since the last one.
void RefreshRegistryView();

}  // namespace device
