#include "locate/locator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/code_page_949.h"
#include "locate/locator_internal.h"

namespace torva {

const char* const kGameRegistryKey = "Software\\Blizzard Entertainment\\Warcraft III";
const char* const kInstallPathValue = "InstallPath";
const char* const kMigrationValue = "Migration Complete";

namespace {

constexpr std::size_t kDownloadFolderSize = 2048;
constexpr std::uint32_t kSecondQueryBufferSize = 2048;

constexpr const char* kDownloadSuffix = "\\Maps\\Download";

// The value as text: up to its first NUL or its end, so a value stored
// without a terminating NUL is never read past.
std::string ValueText(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty()) return {};
    const auto* begin = reinterpret_cast<const char*>(bytes.data());
    return std::string(begin, strnlen(begin, bytes.size()));
}

// The value's size as the game's code page 949 query would return it: its
// text in code page 949 bytes, then whatever follows the text (its NUL, or
// the bytes after an early NUL) as stored.
std::size_t QueriedSize(const std::vector<std::uint8_t>& bytes) {
    const std::string text = ValueText(bytes);
    return CodePage949Length(text) + (bytes.size() - text.size());
}

// A read through the game's two buffers: 1024 bytes, then once 2048. A value
// that fits neither fails as the second query did, with ERROR_MORE_DATA.
RegistryValue ReadThroughQueryBuffers(Registry& registry, const std::string& name) {
    RegistryValue value = registry.ReadValue(name);
    if (value.status.Ok() && QueriedSize(value.bytes) > kSecondQueryBufferSize) {
        value.status = Win32Result(kErrorMoreData);
        value.bytes.clear();
    }
    return value;
}

}  // namespace

std::string ReadDocumentsFolder(Registry& registry) {
    if (!registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders")
             .Ok()) {
        return {};
    }
    const RegistryValue value = ReadThroughQueryBuffers(registry, "Personal");
    registry.CloseKey();
    return value.status.Ok() ? ValueText(value.bytes) : std::string();
}

namespace {

// Composes "<installPath>\Maps\Download" with exactly one backslash of its own;
// nullopt when it would not fit the 2048-byte DownloadFolder with its NUL
// (code page 949 bytes).
std::optional<std::string> ComposeDownloadFolder(const std::string& installPath) {
    std::string folder = installPath + kDownloadSuffix;
    if (!FitsCodePage949Field(folder, kDownloadFolderSize)) return std::nullopt;
    return folder;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsFullWindowsPath(const std::string& path) {
    const bool drive = path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' &&
                       (path[2] == '\\' || path[2] == '/');
    // \\server\share\... and \\?\...: a share or a verbatim path.
    const bool unc = path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
    return drive || unc;
}

InstallPathFolder ReadInstallPathFolder(Registry& registry) {
    const Result opened = registry.OpenKey(kGameRegistryKey);
    if (!opened.Ok()) return {'B', opened.code, {}};  // no key is open, so none is closed
    const RegistryValue value = ReadThroughQueryBuffers(registry, kInstallPathValue);
    registry.CloseKey();
    if (!value.status.Ok()) return {'A', value.status.code, {}};
    auto folder = ComposeDownloadFolder(ValueText(value.bytes));
    // A path that cannot fit the folder buffer reads as a value too long to use.
    if (!folder) return {'A', kErrorMoreData, {}};
    return {0, 0, std::move(*folder)};
}

namespace {

// Whether the game recorded that it moved its maps to the documents folder:
// the value as a REG_DWORD holds it, four bytes, little-endian, of 1.
bool ReadMigrationComplete(Registry& registry) {
    if (!registry.OpenKey(kGameRegistryKey).Ok()) return false;
    const RegistryValue value = registry.ReadValue(kMigrationValue);
    registry.CloseKey();
    return value.status.Ok() && value.bytes == std::vector<std::uint8_t>{1, 0, 0, 0};
}

CandidateFolder MachineCandidate(FolderSource source, Registry& registry) {
    const InstallPathFolder read = ReadInstallPathFolder(registry);
    CandidateFolder candidate{source, read.folder, IsFullWindowsPath(read.folder)};
    if (read.failedStage != 0) candidate.read = Win32Result(read.failedCode);
    return candidate;
}

}  // namespace

DownloadFolderCandidates ListDownloadFolderCandidates(const DownloadFolderSources& sources) {
    DownloadFolderCandidates list;
    const InstallPathFolder user = ReadInstallPathFolder(sources.registry);
    list.failedStage = user.failedStage;
    list.failedCode = user.failedCode;
    CandidateFolder atInstall{FolderSource::UserInstallPath, user.folder,
                              IsFullWindowsPath(user.folder)};
    if (user.failedStage != 0) atInstall.read = Win32Result(user.failedCode);
    list.folders.push_back(atInstall);

    std::string documents = sources.documentsFolder ? sources.documentsFolder() : std::string();
    CandidateFolder atDocuments{FolderSource::Documents, {}, false};
    if (!documents.empty()) {
        if (documents.back() != '\\') documents += '\\';
        atDocuments.path = documents + "Warcraft III" + kDownloadSuffix;
        atDocuments.fullPath = IsFullWindowsPath(atDocuments.path);
    }
    list.migrated = ReadMigrationComplete(sources.registry);
    // Once moved, the game keeps its downloads there, whatever InstallPath says.
    list.folders.insert(list.migrated ? list.folders.begin() : list.folders.end(), atDocuments);

    // Launchers of newer versions leave the user's key without InstallPath
    // (or with a stale one); their installers record the folder for the
    // machine. Tried last, they only ever find a folder where the others
    // found none.
    if (sources.machine32) {
        list.folders.push_back(
            MachineCandidate(FolderSource::MachineInstallPath32, *sources.machine32));
    }
    if (sources.machine64) {
        list.folders.push_back(
            MachineCandidate(FolderSource::MachineInstallPath64, *sources.machine64));
    }
    return list;
}

DownloadFolderResult FindDownloadFolder(const DownloadFolderSources& sources) {
    const DownloadFolderCandidates candidates = ListDownloadFolderCandidates(sources);
    std::string tooLong;
    std::string named;  // the folder the no-folder notice names
    for (const CandidateFolder& candidate : candidates.folders) {
        if (!candidate.fullPath) continue;
        FolderCandidate at = sources.usableFolder(candidate.path);
        if (at.folder) return {FolderSearch::Found, std::move(*at.folder), std::nullopt};
        // A folder that exists but cannot be used is told as such, not as missing.
        if (tooLong.empty() && at.tooLong) tooLong = candidate.path;
        if (named.empty()) named = candidate.path;
    }
    if (!tooLong.empty()) {
        return {FolderSearch::NoFolder, {}, notice::DownloadFolderTooLong{tooLong}};
    }
    if (candidates.failedStage != 0) {
        return {FolderSearch::RegistryFailed,
                {},
                notice::RegistryFailed{candidates.failedStage, candidates.failedCode}};
    }
    // InstallPath was read but names no folder by itself: said as it reads.
    return {FolderSearch::NoFolder,
            {},
            notice::NoDownloadFolder{named.empty() ? candidates.folders.front().path : named}};
}

}  // namespace torva
