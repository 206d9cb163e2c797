// Thin handles over the standard controls the program uses. Texts are UTF-8;
// every call goes through the wide API so Korean reads right on any Windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace torva::win {

class Window {
public:
    HWND Handle() const { return hwnd_; }
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(hwnd_, message, wParam, lParam);
    }

private:
    HWND hwnd_ = nullptr;
};

class ListBox : public Window {
public:
    void ResetContent() const;
    int Count() const;
    // The text of entry `index`, or "" when there is none.
    std::string Text(int index) const;
    void AddString(const std::string& text) const;
    // Empties the box and adds `items` in order, painted once at the end.
    void ReplaceItems(const std::vector<std::wstring>& items) const;
    void ReplaceItems(const std::vector<std::string>& items) const;
    // Indices of the selected entries, in the order the list box reports them.
    std::vector<int> SelectedIndices() const;
};

class TabControl : public Window {
public:
    void InsertItem(int index, const std::string& text) const;
    // The selected index, or -1.
    int CurSel() const;
    // Selects without sending a change notification.
    void SetCurSel(int index) const;
};

// The data exchange: DoDataExchange names each member's control once; one run
// attaches the controls and writes every member text into its control.
class DataExchange {
public:
    explicit DataExchange(HWND dialog) : dialog_(dialog) {}
    void Control(int id, Window& control) const;
    void Text(int id, const std::string& text) const;

private:
    HWND dialog_;
};

}  // namespace torva::win
