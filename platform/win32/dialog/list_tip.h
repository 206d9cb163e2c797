// One tooltip over a whole list box whose text follows the entry under the
// pointer. The dialog relays the list box's mouse messages to it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace torva::win {

class ListTip {
public:
    // An entry's text; empty: no tip for it.
    using TextOf = std::function<std::string(int entry)>;

    ListTip() = default;
    ~ListTip();
    ListTip(const ListTip&) = delete;
    ListTip& operator=(const ListTip&) = delete;

    // Makes the tip, owned by the list box's dialog. False when it could not be made.
    bool Create(HWND listBox, TextOf textOf);
    // A mouse message of the list box: a move onto another entry takes that
    // entry's text; every one goes on to the tip, which shows and hides itself.
    void Relay(const MSG& message);
    // The entries changed under the pointer: the tip goes and asks again.
    void Reset();
    HWND Handle() const { return tip_; }
    // The entry under `point` (client coordinates), or -1 off the entries.
    static int EntryAt(HWND listBox, POINT point);

private:
    void SetText(const std::string& text);

    HWND tip_ = nullptr;
    HWND listBox_ = nullptr;
    TextOf textOf_;
    int entry_ = -1;
};

}  // namespace torva::win
