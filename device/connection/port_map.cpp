#include "device/connection/port_map.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <map>
#include <system_error>

#include "platform/ascii_text.h"

namespace serial {

using text::EqualsNoCase;
using text::Quoted;

namespace {

constexpr int kHighestComNumber = 255;

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        if (i > start) {
            words.push_back(line.substr(start, i - start));
        }
    }
    return words;
}

// Reads the target word into `entry`; returns why it is not one, or empty.
std::string ParseTarget(std::string_view word, PortEntry* entry) {
    constexpr std::string_view kCablePrefix = "null-modem:";
    if (word.front() == '/') {
        entry->kind = LineKind::kDevice;
        entry->devicePath = std::string(word);
    } else if (word == "loopback") {
        entry->kind = LineKind::kLoopback;
    } else if (word == "open-line") {
        entry->kind = LineKind::kOpenLine;
    } else if (word == "none") {
        entry->kind = LineKind::kNone;
    } else if (word.starts_with(kCablePrefix) && word.size() > kCablePrefix.size()) {
        entry->kind = LineKind::kNullModem;
        entry->cable = std::string(word.substr(kCablePrefix.size()));
    } else {
        return "unknown target " + Quoted(word) +
               " (expected a /dev path, loopback, open-line, null-modem:NAME or none)";
    }
    return {};
}

}  // namespace

bool ParseComName(std::string_view name, int* comNumber) {
    if (name.starts_with("\\\\.\\")) {
        name.remove_prefix(4);
    } else if (name.ends_with(':')) {
        name.remove_suffix(1);
    }
    if (name.size() < 4 || !EqualsNoCase(name.substr(0, 3), "COM")) {
        return false;
    }
    // Digits only, no leading zero: "COM01" or "COM-0" must not quietly name another port.
    const std::string_view digits = name.substr(3);
    const bool allDigits = std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (!allDigits || digits.size() > 3 || (digits.size() > 1 && digits.front() == '0')) {
        return false;
    }
    int number = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (number > kHighestComNumber) {
        return false;
    }
    *comNumber = number == 0 ? 10 : number;
    return true;
}

PortMap ParsePortMap(std::string_view text, std::string_view fileName,
                     std::vector<std::string>* problems) {
    PortMap map;
    std::map<std::string, int> cableEnds;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        const std::vector<std::string_view> words = Words(line);
        if (words.empty()) {
            continue;
        }
        auto report = [&](const std::string& why) {
            problems->push_back(std::string(fileName) + ":" + std::to_string(lineNumber) + ": " +
                                why + "; line ignored");
        };
        if (EqualsNoCase(words[0], "COM*")) {
            if (words.size() != 2 || words[1] != "none") {
                report("COM* takes only the target none");
            } else if (map.unlistedAreNone) {
                report("COM* is already mapped");
            } else {
                map.unlistedAreNone = true;
            }
            continue;
        }
        int number = 0;
        if (!ParseComName(words[0], &number) || words[0].ends_with(':') ||
            words[0].starts_with("\\")) {
            report(Quoted(words[0]) + " is not a port name like COM3");
            continue;
        }
        if (words.size() < 2) {
            report("COM" + std::to_string(number) + " has no target");
            continue;
        }
        if (map.entries.contains(number)) {
            report("COM" + std::to_string(number) + " is already mapped");
            continue;
        }
        PortEntry entry;
        std::string why = ParseTarget(words[1], &entry);
        for (std::size_t i = 2; i < words.size() && why.empty(); ++i) {
            const bool isVirtual = entry.kind != LineKind::kDevice && entry.kind != LineKind::kNone;
            if (isVirtual && words[i] == "paced") {
                entry.paced = true;
            } else if (isVirtual && words[i] == "busy") {
                entry.busy = true;
            } else {
                why = "unknown option " + Quoted(words[i]);
            }
        }
        if (why.empty() && entry.kind == LineKind::kNullModem && cableEnds[entry.cable] == 2) {
            why = "cable " + Quoted(entry.cable) + " already has two ends";
        }
        if (!why.empty()) {
            report(why);
            continue;
        }
        if (entry.kind == LineKind::kNullModem) {
            ++cableEnds[entry.cable];
        }
        map.entries[number] = entry;
    }
    return map;
}

MapFileRead ReadPortMapFile(const std::string& path, std::string* text, std::string* problem) {
    text->clear();
    // Non-blocking, so that a FIFO without a writer cannot hold the open.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        *problem = "cannot read it: " + std::generic_category().message(error);
        return error == ENOENT ? MapFileRead::kMissing : MapFileRead::kRefused;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        *problem = "not a regular file";
        return MapFileRead::kRefused;
    }
    // Read beyond the limit: a file that grows meanwhile is caught too.
    char piece[4096];
    int error = 0;
    while (text->size() <= kPortMapLimit) {
        const ssize_t n = read(fd, piece, sizeof piece);
        if (n > 0) {
            text->append(piece, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    close(fd);
    if (error != 0 || text->size() > kPortMapLimit) {
        text->clear();
        *problem = error != 0 ? "cannot read it: " + std::generic_category().message(error)
                              : "larger than " + std::to_string(kPortMapLimit >> 20) + " MiB";
        return MapFileRead::kRefused;
    }
    return MapFileRead::kRead;
}

PortEntry ResolvePort(const PortMap& map, int comNumber) {
    if (const auto found = map.entries.find(comNumber); found != map.entries.end()) {
        return found->second;
    }
    PortEntry entry;
    if (map.unlistedAreNone) {
        entry.kind = LineKind::kNone;
    } else {
        entry.devicePath = "/dev/ttyS" + std::to_string(comNumber - 1);
    }
    return entry;
}

std::string PortMapPath() {
    if (const char* named = std::getenv("SERIALKIT_PORT_MAP"); named && *named) {
        return named;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        return std::string(config) + "/serialkit/ports";
    }
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.config/serialkit/ports";
}

}  // namespace serial
