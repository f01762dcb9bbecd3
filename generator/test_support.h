// Helpers of the wizard's tests: a console fed from a string, a scratch working directory, and
// file contents.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>

#include "platform/console.h"

namespace zandinst {

// A console whose answers come from a string and whose screen and error output are captured.
// The key pause does not wait.
struct ScriptedConsole {
    explicit ScriptedConsole(const std::string& input);
    ScriptedConsole(const ScriptedConsole&) = delete;
    ScriptedConsole& operator=(const ScriptedConsole&) = delete;

    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    console::Console con;
};

// A fresh empty directory that is the working directory while the object lives.
class ScratchDirectory {
  public:
    ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory();

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// The bytes of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// Text with each "\n" stored as "\r\n", as the output files hold it.
std::string Crlf(const std::string& text);

}  // namespace zandinst
