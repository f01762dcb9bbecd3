// Registry text as the configuration wizard writes it, read into a registry tree.
//
//   ; a comment
//   [HKEY_LOCAL_MACHINE\Drivers\Active\01]
//       "Name"="COM1:"
//       "Key"="Drivers\\BuiltIn\\Serial"
//       "Irq"=dword:5
//       "DevConfig"=hex: 10,00, 00,00
//
// A section names a key under HKEY_LOCAL_MACHINE; the value lines below it belong to it. Text
// is REG_SZ, with \\ and \" standing for a backslash and a quote (any other backslash stands for
// itself); dword: is a hexadecimal number of up to eight digits, with or without 0x (REG_DWORD);
// hex: is a list of bytes in hexadecimal (REG_BINARY); @ names the default value. Spaces around
// '=', blank lines, lines starting with ';' and CR LF line ends are fine. A key named twice
// gathers the values of both sections; a value named twice keeps the last. The file is UTF-8.
//
// A line that cannot be understood is reported as "<file>:<line>: <why>; line ignored" and the
// rest is read. A section that cannot be understood is reported the same way, and the values
// under it, up to the next section, are dropped with it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_tree.h"

namespace registry {

// Returns HKEY_LOCAL_MACHINE as the text describes it; problems are appended to `problems`.
RegistryKey ParseRegistryText(std::string_view text, std::string_view fileName,
                              std::vector<std::string>* problems);

}  // namespace registry
