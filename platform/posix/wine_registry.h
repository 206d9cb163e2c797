// The game's registry key as a Wine prefix keeps it: HKEY_CURRENT_USER lives
// in <prefix>/user.reg, and drive letters are links in <prefix>/dosdevices.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "locate/locator.h"

namespace torva {

// $WINEPREFIX, else ~/.wine.
std::string DefaultWinePrefix();

// One value of a user.reg key: its data as RegQueryValueExA hands it out
// (text as UTF-8 with its NUL, numbers and binary data as stored).
struct RegValueData {
    std::vector<std::uint8_t> bytes;
};

// Values of the key `subKey` (matched without regard to ASCII case), keyed by
// lower-case value name ("" for the default value). nullopt when the text
// holds neither the key nor a key below it.
std::optional<std::map<std::string, RegValueData>> ReadUserRegKey(const std::string& userRegText,
                                                                  const std::string& subKey);

// The key a program of `hive`'s view opens for `subKey`, as the prefix keeps
// it: a 64-bit prefix (`win64`) keeps the machine's 32-bit view of Software
// under Software\Wow6432Node.
std::string WineKeyOf(RegistryHive hive, const std::string& subKey, bool win64);

// The Registry seam over a prefix's user.reg (the current user) or
// system.reg (the machine), read when the key is opened.
class WineRegistry : public Registry {
public:
    explicit WineRegistry(std::string prefix, RegistryHive hive = RegistryHive::CurrentUser)
        : prefix_(std::move(prefix)), hive_(hive) {}
    Result OpenKey(const std::string& subKey) override;
    RegistryValue ReadValue(const std::string& name) override;
    void CloseKey() override { values_.reset(); }

private:
    std::string prefix_;
    RegistryHive hive_;
    std::optional<std::map<std::string, RegValueData>> values_;
};

// "C:\Games\Warcraft III\Maps\Download" -> "<prefix>/dosdevices/c:/Games/...".
// Each component that does not exist as spelled is matched without regard to
// ASCII case, as Wine does; one that matches nothing is kept as spelled.
// nullopt for a path without a drive letter.
std::optional<std::string> MapWindowsPath(const std::string& windowsPath,
                                          const std::string& prefix);

}  // namespace torva
