#include "ui_probe.h"

#include <commctrl.h>

#include <cstdio>

#include "base/utf.h"

namespace probe {

namespace {

constexpr UINT kTimeoutMs = 5000;

// Memory in another process, for control messages whose pointers the system
// does not carry across processes (the tab control's).
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, SIZE_T size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_ != nullptr) {
            address_ =
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteBuffer() {
        if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_ != nullptr) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ok() const { return address_ != nullptr; }
    char* At(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return offset + size <= size_ &&
               WriteProcessMemory(process_, At(offset), data, size, nullptr) != 0;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return offset + size <= size_ &&
               ReadProcessMemory(process_, At(offset), data, size, nullptr) != 0;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    SIZE_T size_;
};

LRESULT SendWithTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs,
                             &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lParam) {
    auto* out = reinterpret_cast<std::vector<HWND>*>(lParam);
    out->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::wstring Wide(const std::string& utf8) { return torva::Utf8ToWide(utf8); }

std::string Utf8(const std::wstring& wide) { return torva::WideToUtf8(wide); }

bool WaitUntil(double seconds, const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
}

std::vector<WindowInfo> TopLevelWindows(bool visibleOnly) {
    std::vector<HWND> handles;
    EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&handles));
    std::vector<WindowInfo> out;
    for (HWND hwnd : handles) {
        if (visibleOnly && !IsWindowVisible(hwnd)) continue;
        WindowInfo info{hwnd, 0, ClassOf(hwnd), TextOf(hwnd)};
        GetWindowThreadProcessId(hwnd, &info.pid);
        out.push_back(info);
    }
    return out;
}

HWND FindDialog(const std::wstring& caption) {
    for (const WindowInfo& w : TopLevelWindows()) {
        if (w.className == L"#32770" && w.title == caption) return w.hwnd;
    }
    return nullptr;
}

HWND WaitForDialog(const std::wstring& caption, double seconds) {
    HWND found = nullptr;
    WaitUntil(seconds, [&] { return (found = FindDialog(caption)) != nullptr; });
    return found;
}

std::vector<HWND> DialogsOf(DWORD pid) {
    std::vector<HWND> out;
    for (const WindowInfo& w : TopLevelWindows()) {
        if (w.pid == pid && w.className == L"#32770") out.push_back(w.hwnd);
    }
    return out;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring TextOf(HWND hwnd) {
    const LRESULT length = SendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendWithTimeout(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

LONG StyleOf(HWND hwnd) { return GetWindowLongW(hwnd, GWL_STYLE); }
RECT ClientRectIn(HWND child, HWND parent) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<std::wstring> ListBoxItems(HWND listBox) {
    std::vector<std::wstring> out;
    const LRESULT count = SendWithTimeout(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendWithTimeout(listBox, LB_GETTEXTLEN, i, 0);
        std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
        const LRESULT got =
            SendWithTimeout(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        out.push_back(text);
    }
    return out;
}

int TabCount(HWND tabs) { return static_cast<int>(SendWithTimeout(tabs, TCM_GETITEMCOUNT, 0, 0)); }

int TabSelection(HWND tabs) { return static_cast<int>(SendWithTimeout(tabs, TCM_GETCURSEL, 0, 0)); }

std::wstring TabText(HWND tabs, int index) {
    constexpr int kChars = 256;
    RemoteBuffer remote(tabs, sizeof(TCITEMW) + kChars * sizeof(wchar_t));
    if (!remote.Ok()) return L"<no remote memory>";
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof(TCITEMW)));
    item.cchTextMax = kChars;
    remote.Write(0, &item, sizeof item);
    if (SendWithTimeout(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(remote.At(0))) <= 0) {
        return L"<no item>";
    }
    wchar_t text[kChars] = {};
    remote.Read(sizeof(TCITEMW), text, sizeof text);
    text[kChars - 1] = L'\0';
    return text;
}

RECT TabItemRect(HWND tabs, int index) {
    RECT r{};
    RemoteBuffer remote(tabs, sizeof(RECT));
    if (remote.Ok() &&
        SendWithTimeout(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote.At(0))) > 0) {
        remote.Read(0, &r, sizeof r);
    }
    return r;
}

void ClickAt(HWND hwnd, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

void MoveMouseTo(HWND hwnd, int x, int y) { PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

void PressKey(HWND hwnd, UINT virtualKey) {
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(hwnd, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
    PostMessageW(hwnd, WM_KEYUP, virtualKey,
                 1 | (static_cast<LPARAM>(scan) << 16) | (LPARAM{1} << 30) | (LPARAM{1} << 31));
}

void ClickButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool SaveScreenshot(const std::wstring& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up, as BMP files store rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    header.biSizeImage = stride * static_cast<DWORD>(height);
    std::vector<BYTE> pixels(header.biSizeImage);
    const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (out == nullptr) return false;
    const bool ok = fwrite(&file, sizeof file, 1, out) == 1 &&
                    fwrite(&header, sizeof header, 1, out) == 1 &&
                    fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return fclose(out) == 0 && ok;
}

HANDLE OpenOwnerProcess(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
}

long WaitForExit(HANDLE process, double seconds) {
    if (process == nullptr) return -1;
    if (WaitForSingleObject(process, static_cast<DWORD>(seconds * 1000)) != WAIT_OBJECT_0)
        return -1;
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    return static_cast<long>(exitCode);
}

}  // namespace probe
