#include "platform/win32/win32_token.h"

#include <windows.h>

#include "base/utf.h"
#include "platform/win32/win32_handles.h"

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
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return facts;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size)) {
        facts.elevated = elevation.TokenIsElevated != 0;
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

std::vector<std::string> ProgramFilesFolders() {
    std::vector<std::string> folders;
    for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
        wchar_t value[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) continue;
        folders.push_back(LongPathOf(WideToUtf8(value)));
    }
    return folders;
}

}  // namespace torva
