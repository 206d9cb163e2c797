// Looking at and acting on another process's windows, as a user would: find
// windows, read their texts, click, press keys, move the pointer, take
// screenshots. Everything goes through window messages; nothing is injected.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace probe {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// Polls `done` every 50 ms until it is true or `seconds` have passed.
bool WaitUntil(double seconds, const std::function<bool()>& done);

struct WindowInfo {
    HWND hwnd;
    DWORD pid;
    std::wstring className;
    std::wstring title;
};

// Visible top-level windows of the desktop, in z order.
std::vector<WindowInfo> TopLevelWindows(bool visibleOnly = true);
// The first visible top-level window of class #32770 with this caption, or null.
HWND FindDialog(const std::wstring& caption);
HWND WaitForDialog(const std::wstring& caption, double seconds);
// Visible dialogs (class #32770) that belong to process `pid`.
std::vector<HWND> DialogsOf(DWORD pid);

std::wstring ClassOf(HWND hwnd);
// WM_GETTEXT, which the system carries across processes.
std::wstring TextOf(HWND hwnd);
LONG StyleOf(HWND hwnd);
// Rectangle of a child in its parent's client coordinates.
RECT ClientRectIn(HWND child, HWND parent);

std::vector<std::wstring> ListBoxItems(HWND listBox);
int TabCount(HWND tabs);
int TabSelection(HWND tabs);
std::wstring TabText(HWND tabs, int index);
RECT TabItemRect(HWND tabs, int index);

// A left click at client coordinates of `hwnd`, as the mouse buttons deliver
// it (WM_LBUTTONDOWN then WM_LBUTTONUP, posted).
void ClickAt(HWND hwnd, int x, int y);
// A pointer move to client coordinates of `hwnd` (WM_MOUSEMOVE, posted).
void MoveMouseTo(HWND hwnd, int x, int y);
// A key press (WM_KEYDOWN, WM_KEYUP) posted to `hwnd`, which the owning
// dialog's message loop sees before dispatching it.
void PressKey(HWND hwnd, UINT virtualKey);
// A button press: BN_CLICKED of `id` posted to the dialog.
void ClickButton(HWND dialog, int id);

// Saves the whole screen as a 24-bit BMP.
bool SaveScreenshot(const std::wstring& path);

// A handle to the process that owns `hwnd`, kept open so that its exit code
// can be read after it ends.
HANDLE OpenOwnerProcess(HWND hwnd);
// Waits for the process to end; its exit code, or -1 on timeout.
long WaitForExit(HANDLE process, double seconds);

}  // namespace probe
