#include "platform/win32/dialog/dropped_files.h"

#include <shlobj.h>

#include <algorithm>

#include "base/utf.h"
#include "platform/win32/dialog/file_dialog.h"
#include "platform/win32/win32_file_system.h"

namespace torva::win {

namespace {

// Sent by the drop machinery between the processes; not in every SDK's headers.
constexpr UINT kCopyGlobalData = 0x0049;

std::wstring LastPart(const std::wstring& path) {
    std::wstring trimmed = path;
    while (!trimmed.empty() && (trimmed.back() == L'\\' || trimmed.back() == L'/')) {
        trimmed.pop_back();
    }
    const auto slash = trimmed.find_last_of(L"\\/");
    const std::wstring last = slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
    // "C:\" has no last part worth showing: the path says it.
    if (last.empty() || (last.size() == 2 && last[1] == L':')) return path;
    return last;
}

bool IsFolder(const std::wstring& path) {
    // Asked through the \\?\ form, so a path past MAX_PATH is answered too.
    DWORD attributes = GetFileAttributesW(VerbatimSourcePath(WideToUtf8(path)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::vector<DroppedPath> DroppedPaths(HDROP drop) {
    std::vector<DroppedPath> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring wide(length + 1, L'\0');
        wide.resize(DragQueryFileW(drop, i, wide.data(), length + 1));
        DroppedPath dropped;
        dropped.path = WideToUtf8(wide);
        dropped.name = WideToUtf8(LastPart(wide));
        dropped.folder = IsFolder(wide);
        dropped.fitsFields = FitsOpenFileFields(dropped.path, dropped.name);
        paths.push_back(std::move(dropped));
    }
    return paths;
}

HDROP DropHandleOf(const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) list += Utf8ToWide(path) + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    if (memory == nullptr) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
    std::copy(list.begin(), list.end(), names);
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void AcceptDroppedFiles(HWND window) {
    DragAcceptFiles(window, TRUE);
    // Windows 7 and later; a failure leaves drops working in unelevated runs.
    for (const UINT message :
         {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData}) {
        ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
    }
}

}  // namespace torva::win
