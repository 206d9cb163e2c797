#include "locate/locator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace torva {

const char* const kGameRegistryKey = "Software\\Blizzard Entertainment\\Warcraft III";
const char* const kInstallPathValue = "InstallPath";
const char* const kRegistryFailMessage =
    "레지스트리 읽기 실패! 워크래프트3가 미설치 된 것 같습니다. (%c%ld)\r\n";

namespace {

constexpr const char* kDownloadSuffix = "\\Maps\\Download";

// The value as text: up to its first NUL or its reported size, whichever is
// first, so a value stored without a terminating NUL is never read past.
std::string ValueText(const std::vector<std::uint8_t>& buffer, std::uint32_t size) {
    const std::size_t limit = std::min<std::size_t>(size, buffer.size());
    const auto* begin = reinterpret_cast<const char*>(buffer.data());
    return std::string(begin, strnlen(begin, limit));
}

}  // namespace

std::string RegistryFailureText(char letter, long code) {
    char text[256];
    std::snprintf(text, sizeof text, kRegistryFailMessage, letter, code);
    return text;
}

std::optional<std::string> ComposeDownloadFolder(const std::string& installPath) {
    std::string folder = installPath + kDownloadSuffix;
    if (folder.size() + 1 > kDownloadFolderSize) return std::nullopt;
    return folder;
}

LocateResult LocateDownloadFolder(Registry& registry, Prompts& prompts) {
    LocateResult result;
    const auto fail = [&](char letter, long code) {
        result.FailureMessage = RegistryFailureText(letter, code);
        prompts.Notice(result.FailureMessage);
    };

    const long opened = registry.OpenKey(kGameRegistryKey);
    if (opened != kErrorSuccess) {
        fail('B', opened);
        return result;  // no key is open, so none is closed
    }

    std::vector<std::uint8_t> buffer(kFirstQueryBufferSize, 0);
    std::uint32_t size = kFirstQueryBufferSize;
    long queried = registry.QueryValue(kInstallPathValue, buffer.data(), &size);
    if (queried == kErrorMoreData) {
        // The second buffer's own size, not the value's: a longer value then
        // fails with 234 instead of being written past the buffer.
        buffer.assign(kSecondQueryBufferSize, 0);
        size = kSecondQueryBufferSize;
        queried = registry.QueryValue(kInstallPathValue, buffer.data(), &size);
    }
    if (queried != kErrorSuccess) {
        fail('A', queried);
        registry.CloseKey();
        return result;
    }
    registry.CloseKey();

    result.DownloadFolder = ComposeDownloadFolder(ValueText(buffer, size));
    // A path that cannot fit the folder buffer reads as a value too long to use.
    if (!result.DownloadFolder) fail('A', kErrorMoreData);
    return result;
}

}  // namespace torva
