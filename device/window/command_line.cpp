#include "device/window/command_line.h"

#include <charconv>
#include <string_view>

#include "device/connection/send_data.h"

namespace device {

namespace {

// The value after an option, as a whole number within `low` .. `high`.
bool NumberAfter(int argc, char** argv, int* i, long long low, long long high, long long* value,
                 std::string* problem) {
    const std::string_view option = argv[*i];
    if (*i + 1 >= argc) {
        *problem = std::string(option) + " needs a number";
        return false;
    }
    const std::string_view text = argv[++*i];
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    if (error != std::errc() || end != text.data() + text.size() || *value < low || *value > high) {
        *problem = std::string(option) + " takes a whole number from " + std::to_string(low) +
                   " to " + std::to_string(high) + ", not '" + std::string(text) + "'";
        return false;
    }
    return true;
}

bool ParseLoopbackOption(int argc, char** argv, int* i, LoopbackOptions* o, std::string* problem) {
    const std::string_view arg = argv[*i];
    long long value = 0;
    if (arg == "--first") {
        if (!NumberAfter(argc, argv, i, 1, 10, &value, problem)) {
            return false;
        }
        o->firstPort = static_cast<int>(value);
    } else if (arg == "--ports") {
        if (!NumberAfter(argc, argv, i, 1, 10, &value, problem)) {
            return false;
        }
        o->portCount = static_cast<int>(value);
    } else if (arg == "--size") {
        if (!NumberAfter(argc, argv, i, 1, kMaxPackageSize, &value, problem)) {
            return false;
        }
        o->packageSize = static_cast<unsigned long long>(value);
    } else if (arg == "--baud") {
        if (!NumberAfter(argc, argv, i, 1, 0xFFFFFFFFLL, &value, problem)) {
            return false;
        }
        o->baudRate = static_cast<unsigned long long>(value);
    } else if (arg == "--passes") {
        if (!NumberAfter(argc, argv, i, 1, 1000000000, &value, problem)) {
            return false;
        }
        o->passes = static_cast<int>(value);
    } else if (arg == "--seconds") {
        if (!NumberAfter(argc, argv, i, 1, 1000000000, &value, problem)) {
            return false;
        }
        o->seconds = static_cast<int>(value);
    } else {
        *problem = "unknown option '" + std::string(arg) + "'";
        return false;
    }
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, char** argv, CommandLine* line, std::string* problem) {
    const bool loopback = argc > 1 && std::string_view(argv[1]) == "--loopback";
    if (loopback) {
        line->mode = RunMode::kLoopback;
        for (int i = 2; i < argc; ++i) {
            if (!ParseLoopbackOption(argc, argv, &i, &line->loopback, problem)) {
                return false;
            }
        }
        LoopbackOptions& o = line->loopback;
        if (o.passes > 0 && o.seconds > 0) {
            *problem = "--passes and --seconds exclude each other";
            return false;
        }
        if (o.firstPort + o.portCount - 1 > 10) {
            *problem = "--first " + std::to_string(o.firstPort) + " with --ports " +
                       std::to_string(o.portCount) + " runs past port 10 (COM0)";
            return false;
        }
        if (o.passes == 0 && o.seconds == 0) {
            o.passes = 1;
        }
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            line->mode = RunMode::kHelp;
        } else if (arg == "--port-info") {
            line->mode = RunMode::kPortInfo;
        } else if (arg == "--snapshot") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                *problem = "--snapshot needs a file prefix";
                return false;
            }
            line->app.snapshotPrefix = argv[++i];
        } else {
            *problem = "unknown option '" + std::string(arg) + "'";
            return false;
        }
    }
    return true;
}

}  // namespace device
