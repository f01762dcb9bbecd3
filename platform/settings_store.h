// The per-user settings store: text values by application, section and key, as a desktop
// form toolkit offers them. The values of an application live in the INI file
// $XDG_CONFIG_HOME/<application>/<application>.conf (usually ~/.config/...), one group per
// section; every value is kept and given back exactly as text.
//
// Threads: any thread, one call at a time per application. Needs no user interface.
#pragma once

#include <string>
#include <string_view>

namespace settings {

// The stored value, or `fallback` when the key (or the file) is missing.
std::string GetSetting(std::string_view application, std::string_view section, std::string_view key,
                       std::string_view fallback);
// Stores the value at once; false, with nothing changed, when the file cannot be written.
bool SaveSetting(std::string_view application, std::string_view section, std::string_view key,
                 std::string_view value);

// The file that holds an application's settings.
std::string SettingsFilePath(std::string_view application);

}  // namespace settings
