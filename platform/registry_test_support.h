// Helpers of the registry view's tests: a scratch directory, and a walk over "Drivers\Active"
// that reads what the port inventory reads, with its buffer sizes, and writes down what each
// call gave.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace registry {

// A fresh empty directory, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `text` to the file `name` below the directory, creating folders on the way.
    std::string Write(const std::string& name, const std::string& text) const;

  private:
    std::filesystem::path path_;
};

// The name of a result code ("ERROR_MORE_DATA"), or its number.
std::string ResultName(LONG result);

// One line per subkey of "Drivers\Active", in enumeration order:
//   "<subkey>: Name=<text> Key=<text> DLL=<text> FriendlyName=<text>"
// where a failed call shows its result instead of the text ("Name=ERROR_MORE_DATA") and the
// driver key's values are read only when "Key" opens ("Key=<text> ERROR_FILE_NOT_FOUND").
// The last line tells how the enumeration ended ("end ERROR_NO_MORE_ITEMS"); when
// "Drivers\Active" cannot be opened that is the only line ("Drivers\Active ...").
// Buffers: 64 characters for a subkey name, 64 bytes for "Name", 256 bytes for the others.
std::vector<std::string> WalkActiveDrivers();

}  // namespace registry
