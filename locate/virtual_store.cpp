#include "locate/virtual_store.h"

namespace torva {

const char* const kVirtualStoreNotice =
    "이번 실행에서는 게임이 VirtualStore 폴더에 보관한 맵이\r\n"
    "목록에 나오지 않습니다. (관리자 권한 또는 64비트로 실행됨)\r\n"
    "\r\n"
    "관리자 권한 실행은 삭제할 때만 하시고,\r\n"
    "확인은 일반 실행으로 다시 해 주십시오.";

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

bool MissesVirtualStore(const TokenFacts& token, const std::string& folder,
                        const std::vector<std::string>& programFiles) {
    const bool notVirtualised =
        token.virtualised ? !*token.virtualised : token.elevated.value_or(false);
    if (!notVirtualised) return false;
    const std::string path = Normalised(folder);
    for (const std::string& root : programFiles) {
        if (IsUnder(path, Normalised(root))) return true;
    }
    return false;
}

}  // namespace torva
