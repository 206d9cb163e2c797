#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "base/utf.h"

namespace torva {

std::vector<std::uint8_t> RegistryDataForCaller(unsigned long type,
                                                const std::vector<std::uint8_t>& stored) {
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return stored;
    std::wstring text(stored.size() / 2, L'\0');
    if (!text.empty()) std::memcpy(text.data(), stored.data(), text.size() * sizeof(wchar_t));
    // A value stored without its terminating NUL still reaches the caller with one.
    if (text.empty() || text.back() != L'\0') text.push_back(L'\0');
    const std::string utf8 = WideToUtf8(text);
    return std::vector<std::uint8_t>(utf8.begin(), utf8.end());
}

Result Win32Registry::OpenKey(const std::string& subKey) {
    CloseKey();
    HKEY key = nullptr;
    // The machine's key in the view asked for, whatever this program's own
    // size: a 32-bit program would otherwise never see the 64-bit view.
    const HKEY root = hive_ == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const REGSAM view = hive_ == RegistryHive::Machine32   ? KEY_WOW64_32KEY
                        : hive_ == RegistryHive::Machine64 ? KEY_WOW64_64KEY
                                                           : 0;
    const LONG result = RegOpenKeyExW(root, Utf8ToWide(subKey).c_str(), 0, KEY_READ | view, &key);
    if (result == ERROR_SUCCESS) key_.Reset(key);
    return Win32Result(result);
}

void Win32Registry::CloseKey() { key_.Reset(); }

RegistryValue Win32Registry::ReadValue(const std::string& name) {
    if (!key_) return {Win32Result(ERROR_INVALID_HANDLE), {}};
    const std::wstring valueName = Utf8ToWide(name);
    const HKEY key = key_.Get();

    // Read the whole stored value; it may grow between the two calls.
    std::vector<std::uint8_t> stored;
    DWORD type = 0;
    LONG result = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && result == ERROR_MORE_DATA; ++attempt) {
        DWORD storedSize = 0;
        result = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &storedSize);
        if (result != ERROR_SUCCESS) return {Win32Result(result), {}};
        stored.assign(storedSize + sizeof(wchar_t), 0);
        storedSize = static_cast<DWORD>(stored.size());
        result =
            RegQueryValueExW(key, valueName.c_str(), nullptr, &type, stored.data(), &storedSize);
        if (result == ERROR_SUCCESS) stored.resize(storedSize);
    }
    if (result != ERROR_SUCCESS) return {Win32Result(result), {}};
    return {Result::Success(), RegistryDataForCaller(type, stored)};
}

}  // namespace torva
