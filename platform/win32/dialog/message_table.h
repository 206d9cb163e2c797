// Static message tables: each dialog class lists which member handles which
// message or control notification, in one constant array read top to bottom.
#pragma once

#include <windows.h>
// After windows.h, which it builds on (HDROP).
#include <shellapi.h>

#include <type_traits>

namespace torva::win {

class Dialog;

// One row. WM_COMMAND and WM_NOTIFY rows also match the notification code and
// the control id; other rows match the message alone.
struct MessageEntry {
    UINT message;
    UINT code;
    UINT id;
    // Calls the member handler and returns the message's result.
    LRESULT (*invoke)(Dialog& dialog, WPARAM wParam, LPARAM lParam);
};

struct MessageTable {
    const MessageEntry* begin = nullptr;
    const MessageEntry* end = nullptr;
};

template <std::size_t N>
constexpr MessageTable TableOf(const MessageEntry (&entries)[N]) {
    return {entries, entries + N};
}

namespace detail {

template <class F>
struct MemberOf;
template <class T, class R, class... A>
struct MemberOf<R (T::*)(A...)> {
    using Class = T;
};

template <class>
inline constexpr bool kUnsupported = false;

// Adapts the message's parameters to the handler's signature. The signatures
// are the ones the program's handlers use; add one here when a handler needs it.
template <auto Handler>
LRESULT Invoke(Dialog& dialog, WPARAM wParam, LPARAM lParam) {
    using H = decltype(Handler);
    using T = typename MemberOf<H>::Class;
    T& self = static_cast<T&>(dialog);
    if constexpr (std::is_same_v<H, void (T::*)()>) {
        (self.*Handler)();
        return 0;
    } else if constexpr (std::is_same_v<H, HICON (T::*)()>) {
        return reinterpret_cast<LRESULT>((self.*Handler)());
    } else if constexpr (std::is_same_v<H, void (T::*)(UINT, LPARAM)>) {
        (self.*Handler)(static_cast<UINT>(wParam), lParam);
        return 0;
    } else if constexpr (std::is_same_v<H, void (T::*)(UINT, int, int)>) {
        // Signed client coordinates, as WM_MOUSEMOVE carries them.
        (self.*Handler)(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)),
                        static_cast<short>(HIWORD(lParam)));
        return 0;
    } else if constexpr (std::is_same_v<H, void (T::*)(HDROP)>) {
        (self.*Handler)(reinterpret_cast<HDROP>(wParam));
        return 0;
    } else if constexpr (std::is_same_v<H, void (T::*)(NMHDR*, LRESULT*)>) {
        LRESULT result = 0;
        (self.*Handler)(reinterpret_cast<NMHDR*>(lParam), &result);
        return result;
    } else {
        static_assert(kUnsupported<H>, "no adapter for this handler signature");
        return 0;
    }
}

}  // namespace detail

// A window message: OnMessage<&CMainDlg::OnPaint>(WM_PAINT).
template <auto Handler>
constexpr MessageEntry OnMessage(UINT message) {
    return {message, 0, 0, &detail::Invoke<Handler>};
}

// A control's WM_COMMAND notification: OnCommand<&CMainDlg::OnOpen>(BN_CLICKED, 1012).
template <auto Handler>
constexpr MessageEntry OnCommand(UINT code, UINT id) {
    return {WM_COMMAND, code, id, &detail::Invoke<Handler>};
}

// A control's WM_NOTIFY notification: OnNotify<&CMainDlg::OnTab>(TCN_SELCHANGE, 1005).
template <auto Handler>
constexpr MessageEntry OnNotify(UINT code, UINT id) {
    return {WM_NOTIFY, code, id, &detail::Invoke<Handler>};
}

}  // namespace torva::win
