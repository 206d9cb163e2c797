#include "platform/win32/win32_token.h"

#include <windows.h>

#include "base/utf.h"
#include "platform/win32/win32_directory_lister.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell_folders.h"

namespace torva {

namespace {

// Wine models no UAC: nothing runs virtualised there, the game included, and
// no VirtualStore exists, though its tokens say "not virtualised".
bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

TokenFacts ProcessTokenFacts() {
    TokenFacts facts;
    if (UnderWine()) return facts;
    facts.sixtyFourBit = sizeof(void*) == 8;
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return facts;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size)) {
        facts.elevated = elevation.TokenIsElevated != 0;
    }
    TOKEN_ELEVATION_TYPE type{};
    if (GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof type, &size)) {
        facts.splitToken = type != TokenElevationTypeDefault;
    }
    DWORD virtualised = 0;
    if (GetTokenInformation(token.Get(), TokenVirtualizationEnabled, &virtualised,
                            sizeof virtualised, &size)) {
        facts.virtualised = virtualised != 0;
    }
    return facts;
}

std::string LongPathOf(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    if (wide.empty()) return path;
    const DWORD needed = GetLongPathNameW(wide.c_str(), nullptr, 0);
    if (needed == 0) return path;
    std::wstring longPath(needed, L'\0');
    const DWORD length = GetLongPathNameW(wide.c_str(), longPath.data(), needed);
    if (length == 0 || length >= needed) return path;
    longPath.resize(length);
    return WideToUtf8(longPath);
}

namespace {

std::optional<bool> PolicyFlag(Registry& policy, const char* name) {
    const RegistryValue value = policy.ReadValue(name);
    if (!value.status.Ok() || value.bytes.size() != 4) return std::nullopt;
    return value.bytes[0] != 0 || value.bytes[1] != 0 || value.bytes[2] != 0 || value.bytes[3] != 0;
}

}  // namespace

UacSettings MachineUacSettings() {
    UacSettings settings;
    Win32Registry policy(RegistryHive::Machine64);
    if (!policy.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System").Ok()) {
        return settings;
    }
    settings.enabled = PolicyFlag(policy, "EnableLUA");
    settings.virtualisation = PolicyFlag(policy, "EnableVirtualization");
    return settings;
}

VirtualStoreFacts GatherVirtualStoreFacts(const std::string& folder, const TokenFacts& token) {
    VirtualStoreFacts facts;
    facts.token = token;
    facts.uac = MachineUacSettings();
    facts.folder = LongPathOf(folder);
    facts.programFiles = ProgramFilesFolders();
    if (const auto copy = VirtualStoreCopyOf(KnownLocalAppDataFolder(), facts.folder)) {
        facts.virtualStoreFiles = FindFiles(*copy, IsListedFile);
    }
    facts.listedFiles = FindFiles(folder, IsListedFile).value_or(std::vector<std::string>());
    return facts;
}

}  // namespace torva
