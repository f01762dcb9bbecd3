#include "device/connection/port_names.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/kernel.h"

namespace serial {

namespace {

constexpr std::string_view kConventionalPrefix = "/dev/ttyS";
constexpr int kHighestComNumber = 255;

// The path with symbolic links resolved; a path that does not exist is only tidied.
std::string Resolved(const std::string& path) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? std::filesystem::path(path).lexically_normal().string() : real.string();
}

// n for /dev/ttyS<n-1>, else 0.
int ConventionalNumber(std::string_view path) {
    if (!path.starts_with(kConventionalPrefix)) {
        return 0;
    }
    const std::string_view digits = path.substr(kConventionalPrefix.size());
    int index = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        (digits.size() > 1 && digits.front() == '0') || index >= kHighestComNumber) {
        return 0;
    }
    return index + 1;
}

}  // namespace

int ComNumberForDevice(const PortMap& map, const std::string& devicePath) {
    const std::string device = Resolved(devicePath);
    for (const auto& [number, entry] : map.entries) {
        if (entry.kind == LineKind::kDevice && Resolved(entry.devicePath) == device) {
            return number;
        }
    }
    const int number = ConventionalNumber(device);
    return number > 0 && !map.entries.contains(number) && !map.unlistedAreNone ? number : 0;
}

PortMap ReadPortMap() {
    const std::string path = PortMapPath();
    std::string text;
    std::string problem;
    const MapFileRead result = ReadPortMapFile(path, &text, &problem);
    if (result == MapFileRead::kRefused ||
        (result == MapFileRead::kMissing && std::getenv("SERIALKIT_PORT_MAP") != nullptr)) {
        kernel::DebugPrint("port map %s: %s\n", path.c_str(), problem.c_str());
    }
    std::vector<std::string> problems;
    PortMap map = ParsePortMap(text, path, &problems);
    for (const std::string& line : problems) {
        kernel::DebugPrint("%s\n", line.c_str());
    }
    return map;
}

}  // namespace serial
