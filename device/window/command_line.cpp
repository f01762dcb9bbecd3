#include "device/window/command_line.h"

#include <string_view>

namespace device {

bool ParseCommandLine(int argc, char** argv, CommandLine* line, std::string* problem) {
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
