// A read-only registry view: the four registry reads the port inventory makes, with the
// names, values and failure results of the platform interface it was written against, over
// an in-memory tree that holds HKEY_LOCAL_MACHINE only.
//
// The view is built at the first call that reads HKEY_LOCAL_MACHINE, from one of two sources:
// - $SERIALKIT_REGISTRY, when set: a registry text file as the configuration wizard writes
//   it (see registry_file.h). Lines that cannot be understood are reported on standard error
//   with file and line and ignored; a file that cannot be read is reported and gives an empty
//   view.
// - otherwise this machine's sysfs (see registry_sysfs.h): one entry under "Drivers\Active"
//   for every serial tty that a driver serves, named through the ComNamer set beforehand.
// ReloadView builds it afresh from the same source, so that a listing can show adapters that
// were plugged in since. A key stays readable as it was opened when the view is replaced under
// it.
//
// Key paths and value names are compared without case for the letters A-Z. Text values are
// REG_SZ: UTF-16 code units in host byte order with a terminating zero, so a 64-byte buffer
// holds 31 characters and the terminator. Every function may be called from any thread; the
// ComNamer runs on the thread that builds the view, under the view's lock, and must not call
// back into the registry.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace registry {

using LONG = std::int32_t;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using REGSAM = DWORD;

// A key handle: HKEY_LOCAL_MACHINE or a key opened by RegOpenKeyExW. Open handles are never
// reused, so a stale copy fails with ERROR_INVALID_HANDLE instead of reading another key.
enum class HKEY : std::uint64_t {};
inline constexpr HKEY HKEY_LOCAL_MACHINE = HKEY{0x80000002};

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_BAD_PATHNAME = 161;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;

// Value types.
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

// Access rights. The view is read-only: a request for any right beyond KEY_READ is refused.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;

struct FILETIME {
    DWORD dwLowDateTime = 0;
    DWORD dwHighDateTime = 0;
};

// Opens `subKey` below `root` (HKEY_LOCAL_MACHINE or an open key); a null or empty subKey
// opens `root` again. `options` must be 0. Fails with ERROR_FILE_NOT_FOUND for a missing key,
// ERROR_BAD_PATHNAME for a path that starts with a backslash, ERROR_ACCESS_DENIED for write
// rights, ERROR_INVALID_HANDLE for an unknown root; *result is then HKEY{}.
LONG RegOpenKeyExW(HKEY root, const char16_t* subKey, DWORD options, REGSAM sam, HKEY* result);

// Copies the name of subkey `index` (0, 1, 2, ... in the view's order) with its terminator
// into `name`. *nameChars holds the buffer size in characters on entry and the name's length
// without the terminator on success. A name that does not fit fails with ERROR_MORE_DATA and
// leaves both unchanged; past the last subkey the result is ERROR_NO_MORE_ITEMS. The view
// keeps no class names or times: a class buffer receives "" and the time is zero.
LONG RegEnumKeyExW(HKEY key, DWORD index, char16_t* name, DWORD* nameChars,
                   DWORD* reserved = nullptr, char16_t* className = nullptr,
                   DWORD* classChars = nullptr, FILETIME* lastWriteTime = nullptr);

// Reads the value `valueName` (null or empty: the key's default value). *dataBytes holds the
// buffer size on entry and the value's size on return; text sizes count the terminator. A
// value larger than the buffer fails with ERROR_MORE_DATA and leaves `data` unchanged; with a
// null `data` the call only reports the size. A missing value is ERROR_FILE_NOT_FOUND.
// `reserved` must be null.
LONG RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataBytes);

// Closes an open key. Closing HKEY_LOCAL_MACHINE does nothing and succeeds; an unknown or
// already closed handle is ERROR_INVALID_HANDLE.
LONG RegCloseKey(HKEY key);

// Names the COM port of a device path such as "/dev/ttyUSB0": its COM number, or 0 (or
// less) when it has none. COM0 is given as 10.
using ComNamer = std::function<int(const std::string& devicePath)>;

// Sets how the view built from sysfs names devices, from the next build on (the first
// call that reads HKEY_LOCAL_MACHINE, or ReloadView). Without a namer no device has a COM name.
void SetComNamer(ComNamer namer);

// Builds the view afresh from its source: the file named by $SERIALKIT_REGISTRY, else /sys.
// Problems are reported on standard error.
void ReloadView();

// Replaces the view with the content of a registry text file. Returns the problems, each
// "<file>:<line>: <why>; ..." (or "<file>: cannot read it: <reason>"), which also go to
// standard error.
std::vector<std::string> LoadViewFromFile(const std::string& path);

// Replaces the view with the serial ttys of the sysfs tree at `sysfsRoot` (normally "/sys"),
// named by `namer`. Returns the problems, which also go to standard error.
std::vector<std::string> LoadViewFromSysfs(const std::string& sysfsRoot, ComNamer namer);

// How many keys are open: opened by RegOpenKeyExW and not yet closed.
int OpenKeyCount();

}  // namespace registry
