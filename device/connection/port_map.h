// The port map: which line stands behind each COM name, for both testers.
//
// One text file, one entry a line: "COM<n> <target> [option ...]", '#' starts a comment.
// A target is a device path (/dev/ttyUSB0, /dev/serial/by-id/...), "loopback" (a plug that
// ties TX to RX, RTS to CTS, DTR to DSR and DCD), "open-line" (nothing connected) or
// "null-modem:<cable>" (the two entries naming one cable are its two ends). Options of the
// virtual targets: "paced" (bytes take their time on the line at the configured rate) and
// "busy" (every open is refused as busy). A COM name without an entry is /dev/ttyS<n-1>.
// COM0 is another name of COM10, since the device tester calls its tenth port COM0; both
// resolve to the same entry (by default /dev/ttyS9). A line that cannot be understood is
// reported with its file and line number and ignored.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace serial {

enum class LineKind { kDevice, kLoopback, kOpenLine, kNullModem };

struct PortEntry {
    LineKind kind = LineKind::kDevice;
    std::string devicePath;  // kDevice
    std::string cable;       // kNullModem
    bool paced = false;
    bool busy = false;
};

using PortMap = std::map<int, PortEntry>;

// Parses map text. Each line that is not understood adds "<file>:<line>: <why>" to problems.
PortMap ParsePortMap(std::string_view text, std::string_view fileName,
                     std::vector<std::string>* problems);

// The entry for a COM number, or the conventional device when the map has none.
PortEntry ResolvePort(const PortMap& map, int comNumber);

// The COM number in "COM3", "COM3:", "\\.\COM12" (any case); false for other names.
// COM0 gives 10.
bool ParseComName(std::string_view name, int* comNumber);

// The map file: $SERIALKIT_PORT_MAP when set, else $XDG_CONFIG_HOME/serialkit/ports
// (~/.config/serialkit/ports).
std::string PortMapPath();

}  // namespace serial
