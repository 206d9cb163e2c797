#include "locate/virtual_store.h"

#include <algorithm>

namespace torva {

namespace {

// Lower-case ASCII, '/' as '\', no "\\?\" prefix, no doubled or trailing
// separator (a UNC path keeps its leading pair).
std::string Normalised(const std::string& path) {
    std::string text = path;
    for (char& c : text) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (text.rfind("\\\\?\\unc\\", 0) == 0) {
        text = "\\\\" + text.substr(8);
    } else if (text.rfind("\\\\?\\", 0) == 0) {
        text = text.substr(4);
    }
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i > 1 && !out.empty() && out.back() == '\\') continue;
        out += text[i];
    }
    while (out.size() > 1 && out.back() == '\\') out.pop_back();
    return out;
}

bool IsUnder(const std::string& folder, const std::string& root) {
    if (root.empty() || folder.size() < root.size()) return false;
    if (folder.compare(0, root.size(), root) != 0) return false;
    return folder.size() == root.size() || folder[root.size()] == '\\';
}

}  // namespace

namespace {

// Whether this run reads the real folder only; unknown counts as not.
std::optional<NotVirtualisedBecause> NotVirtualised(const TokenFacts& token) {
    if (token.virtualised.value_or(false)) return std::nullopt;
    if (token.elevated.value_or(false)) return NotVirtualisedBecause::Elevated;
    if (token.sixtyFourBit) return NotVirtualisedBecause::SixtyFourBit;
    if (token.virtualised) return NotVirtualisedBecause::Other;
    return std::nullopt;
}

// Whether the game, started as this user starts it, writes to the VirtualStore.
bool GameVirtualised(const VirtualStoreFacts& facts) {
    if (!facts.uac.enabled.value_or(true) || !facts.uac.virtualisation.value_or(true)) {
        return false;
    }
    // An elevated token that UAC did not split: every program of this user
    // runs with it, the game too.
    const bool fullTokenAlways =
        facts.token.elevated.value_or(false) && !facts.token.splitToken.value_or(true);
    return !fullTokenAlways;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

std::optional<MissedVirtualStoreFiles> MissedVirtualStore(const VirtualStoreFacts& facts) {
    const auto reason = NotVirtualised(facts.token);
    if (!reason || !GameVirtualised(facts) || !facts.virtualStoreFiles) return std::nullopt;
    const std::string path = Normalised(facts.folder);
    const bool underProgramFiles =
        std::any_of(facts.programFiles.begin(), facts.programFiles.end(),
                    [&](const std::string& root) { return IsUnder(path, Normalised(root)); });
    if (!underProgramFiles) return std::nullopt;
    std::vector<std::string> listed;
    for (const std::string& name : facts.listedFiles) listed.push_back(LowerAscii(name));
    std::sort(listed.begin(), listed.end());
    int missing = 0;
    for (const std::string& name : *facts.virtualStoreFiles) {
        if (!std::binary_search(listed.begin(), listed.end(), LowerAscii(name))) ++missing;
    }
    if (missing == 0) return std::nullopt;
    return MissedVirtualStoreFiles{missing, *reason};
}

std::optional<std::string> VirtualStoreCopyOf(const std::string& localAppData,
                                              const std::string& folder) {
    std::string path = folder;
    if (path.rfind("\\\\?\\", 0) == 0) path = path.substr(4);
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (!drive || localAppData.empty()) return std::nullopt;
    std::string base = localAppData;
    if (base.back() != '\\') base += '\\';
    return base + "VirtualStore" + path.substr(2);
}

}  // namespace torva
