#include "generator/test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace zandinst {

ScriptedConsole::ScriptedConsole(const std::string& input) : in(input) {
    con.in = &in;
    con.out = &out;
    con.err = &err;
    con.waitForKey = false;
}

ScratchDirectory::ScratchDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zandinst-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    path_ = pattern;
    std::filesystem::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Crlf(const std::string& text) {
    std::string stored;
    for (const char c : text) {
        if (c == '\n') {
            stored += '\r';
        }
        stored += c;
    }
    return stored;
}

}  // namespace zandinst
