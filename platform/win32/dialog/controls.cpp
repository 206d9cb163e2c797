#include "platform/win32/dialog/controls.h"

#include <commctrl.h>

#include <vector>

#include "base/utf.h"

namespace torva::win {

void ListBox::ResetContent() const { Send(LB_RESETCONTENT); }

int ListBox::Count() const {
    const LRESULT count = Send(LB_GETCOUNT);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::string ListBox::Text(int index) const {
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length <= 0) return {};
    // Sized from LB_GETTEXTLEN: a name of any length is read whole.
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    if (got == LB_ERR) return {};
    return WideToUtf8(std::wstring(text.data(), static_cast<std::size_t>(got)));
}

void ListBox::AddString(const std::string& text) const {
    const std::wstring wide = Utf8ToWide(text);
    Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void ListBox::ReplaceItems(const std::vector<std::wstring>& items) const {
    // A visible list box repaints its scroll bar for every entry added; under
    // Wine that costs milliseconds each, seconds for a thousand names.
    Send(WM_SETREDRAW, FALSE);
    Send(LB_RESETCONTENT);
    std::size_t characters = 0;
    for (const std::wstring& item : items) characters += item.size() + 1;
    Send(LB_INITSTORAGE, items.size(), static_cast<LPARAM>(characters * sizeof(wchar_t)));
    for (const std::wstring& item : items) {
        Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    Send(WM_SETREDRAW, TRUE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void ListBox::ReplaceItems(const std::vector<std::string>& items) const {
    std::vector<std::wstring> wide;
    wide.reserve(items.size());
    for (const std::string& item : items) wide.push_back(Utf8ToWide(item));
    ReplaceItems(wide);
}

std::vector<int> ListBox::SelectedIndices() const {
    const LRESULT count = Send(LB_GETSELCOUNT);
    if (count == LB_ERR || count <= 0) return {};
    std::vector<int> indices(static_cast<std::size_t>(count));
    const LRESULT got =
        Send(LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(indices.data()));
    indices.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return indices;
}

void TabControl::InsertItem(int index, const std::string& text) const {
    std::wstring wide = Utf8ToWide(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide.data();
    Send(TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int TabControl::CurSel() const { return static_cast<int>(Send(TCM_GETCURSEL)); }

void TabControl::SetCurSel(int index) const { Send(TCM_SETCURSEL, static_cast<WPARAM>(index)); }

void DataExchange::Control(int id, Window& control) const {
    control.Attach(GetDlgItem(dialog_, id));
}

void DataExchange::Text(int id, const std::string& text) const {
    SetDlgItemTextW(dialog_, id, Utf8ToWide(text).c_str());
}

}  // namespace torva::win
