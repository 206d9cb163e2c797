// A key of the real registry (HKEY_CURRENT_USER, or HKEY_LOCAL_MACHINE in one
// of its views; KEY_READ). Values are read whole through the wide API; text is
// handed out as UTF-8.
#pragma once

#include <vector>

#include "locate/locator.h"
#include "platform/win32/win32_handles.h"

namespace torva {

class Win32Registry : public Registry {
public:
    explicit Win32Registry(RegistryHive hive = RegistryHive::CurrentUser) : hive_(hive) {}
    Result OpenKey(const std::string& subKey) override;
    RegistryValue ReadValue(const std::string& name) override;
    void CloseKey() override;

private:
    RegistryHive hive_;
    UniqueKey key_;
};

// The bytes handed out for data of `type`: text (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) converted from UTF-16 to UTF-8 and ended with a
// NUL; anything else as stored.
std::vector<std::uint8_t> RegistryDataForCaller(unsigned long type,
                                                const std::vector<std::uint8_t>& stored);

}  // namespace torva
