// The window-level helpers of session.h.
#include <cstdio>

#include "base/utf.h"
#include "session.h"

namespace driver {

namespace {

// Sends `message` with a pointer to a copy of `data` in the window's process
// (the system does not carry the tab control's pointers across processes),
// after `place` has seen where the copy lies; then reads the copy back.
template <typename T>
bool SendRemote(HWND hwnd, UINT message, WPARAM wParam, T& data,
                const std::function<void(char*)>& place = {}) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) return false;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof data, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (place) place(remote);
    const bool ok = remote && WriteProcessMemory(process, remote, &data, sizeof data, nullptr) &&
                    Send(hwnd, message, wParam, reinterpret_cast<LPARAM>(remote)) > 0 &&
                    ReadProcessMemory(process, remote, &data, sizeof data, nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

}  // namespace

bool Checks::Expect(bool ok, const std::string& name, const std::string& detail) {
    std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
    std::fflush(stdout);
    if (!ok) ++failures_;
    return ok;
}

bool Checks::Equal(const std::string& actual, const std::string& expected,
                   const std::string& name) {
    const bool same = actual == expected;
    return Expect(
        same, name,
        same ? "\"" + actual + "\"" : "got \"" + actual + "\", want \"" + expected + "\"");
}

bool Checks::Equal(long long actual, long long expected, const std::string& name) {
    const std::string got = std::to_string(actual);
    return Expect(actual == expected, name,
                  actual == expected ? got : "got " + got + ", want " + std::to_string(expected));
}

std::wstring Wide(const std::string& utf8) { return torva::Utf8ToWide(utf8); }
std::string Utf8(const std::wstring& wide) { return torva::WideToUtf8(wide); }

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return out;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (std::size_t i = 0; i < items.size() && i < 40; ++i) out += (i ? " | " : "") + items[i];
    return items.size() > 40 ? out + " | ..." : out;
}

bool WaitUntil(double seconds, const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
}

std::vector<HWND> Dialogs(DWORD pid, const std::wstring& caption) {
    std::vector<HWND> all, out;
    EnumWindows(&Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND w : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (IsWindowVisible(w) && ClassOf(w) == L"#32770" && (pid == 0 || owner == pid) &&
            (caption.empty() || Wide(TextOf(w)) == caption))
            out.push_back(w);
    }
    return out;
}

HWND WaitForDialog(const std::wstring& caption, double seconds) {
    std::vector<HWND> found;
    WaitUntil(seconds, [&] { return !(found = Dialogs(0, caption)).empty(); });
    return found.empty() ? nullptr : found[0];
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

std::string TextOf(HWND hwnd) {
    const LRESULT length = Send(hwnd, WM_GETTEXTLENGTH);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = Send(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return Utf8(text);
}

std::vector<std::string> ListBoxItems(HWND listBox) {
    std::vector<std::string> out;
    const LRESULT count = Send(listBox, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = Send(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i));
        std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
        const LRESULT got = Send(listBox, LB_GETTEXT, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        out.push_back(Utf8(text));
    }
    return out;
}

std::string TabText(HWND tabs, int index) {
    struct {
        TCITEMW item;
        wchar_t text[256];
    } data{};
    data.item.mask = TCIF_TEXT;
    data.item.cchTextMax = 255;
    const auto place = [&](char* remote) {
        data.item.pszText = reinterpret_cast<wchar_t*>(remote + offsetof(decltype(data), text));
    };
    return SendRemote(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), data, place) ? Utf8(data.text)
                                                                                   : "<no item>";
}

RECT TabItemRect(HWND tabs, int index) {
    RECT r{};
    SendRemote(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), r);
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
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(hwnd, WM_KEYDOWN, virtualKey, 1 | scan);
    PostMessageW(hwnd, WM_KEYUP, virtualKey, 1 | scan | (LPARAM{1} << 30) | (LPARAM{1} << 31));
}

void ClickButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressWithControl(HWND window, WORD key, bool shift) {
    SetForegroundWindow(window);
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) |
                           (vk == VK_NEXT || vk == VK_PRIOR ? KEYEVENTF_EXTENDEDKEY : 0);
        inputs.push_back(input);
    };
    add(VK_CONTROL, false);
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    add(VK_CONTROL, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool SaveScreenshot(const std::wstring& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
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
    header.biSizeImage = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4 * static_cast<DWORD>(height);
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
    DWORD code = 0;
    if (process == nullptr ||
        WaitForSingleObject(process, static_cast<DWORD>(seconds * 1000)) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process, &code))
        return -1;
    return static_cast<long>(code);
}

}  // namespace driver
