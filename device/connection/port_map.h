// The port map: which line stands behind each COM name, for both testers.
//
// One text file, one entry a line: "COM<n> <target> [option ...]", '#' starts a comment.
// A target is a device path (/dev/ttyUSB0, /dev/serial/by-id/...), "loopback" (a plug that
// ties TX to RX, RTS to CTS, DTR to DSR and DCD), "open-line" (nothing connected),
// "null-modem:<cable>" (the two entries naming one cable are its two ends) or "none" (no
// port: opens fail as missing). Options of the virtual targets: "paced" (bytes take their
// time on the line at the configured rate) and "busy" (every open is refused as busy).
// A COM name without an entry is /dev/ttyS<n-1>, unless the map has the entry "COM* none":
// then it is no port either, so that a map can rule out reaching a real device by accident.
// COM0 is another name of COM10, since the device tester calls its tenth port COM0; both
// resolve to the same entry (by default /dev/ttyS9). A line that cannot be understood is
// reported with its file and line number and ignored.
//
// The map file must be a regular file of at most kPortMapLimit bytes; anything else (a
// directory, a device, a FIFO) is refused with a message, and the ports resolve as without
// a map.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace serial {

enum class LineKind { kDevice, kLoopback, kOpenLine, kNullModem, kNone };

inline constexpr std::size_t kPortMapLimit = std::size_t{1} << 20;

struct PortEntry {
    LineKind kind = LineKind::kDevice;
    std::string devicePath;  // kDevice
    std::string cable;       // kNullModem
    bool paced = false;
    bool busy = false;
};

struct PortMap {
    std::map<int, PortEntry> entries;  // by COM number
    bool unlistedAreNone = false;      // "COM* none"
};

// Parses map text. Each line that is not understood adds "<file>:<line>: <why>" to problems.
PortMap ParsePortMap(std::string_view text, std::string_view fileName,
                     std::vector<std::string>* problems);

enum class MapFileRead { kRead, kMissing, kRefused };

// Reads the map file at `path` into *text. Anything but kRead leaves *text empty and says why
// in *problem: the file is missing, or it is refused (unreadable, not a regular file, larger
// than kPortMapLimit). Never blocks on a FIFO.
MapFileRead ReadPortMapFile(const std::string& path, std::string* text, std::string* problem);

// The entry for a COM number: its own, or else the conventional device (kNone after "COM*
// none").
PortEntry ResolvePort(const PortMap& map, int comNumber);

// The COM number in "COM3", "COM3:", "\\.\COM12" (COM in any case): a number from 1 to
// 255 without sign or leading zero, or 0, which gives 10. False for every other name.
bool ParseComName(std::string_view name, int* comNumber);

// The map file: $SERIALKIT_PORT_MAP when set, else $XDG_CONFIG_HOME/serialkit/ports
// (~/.config/serialkit/ports).
std::string PortMapPath();

}  // namespace serial
