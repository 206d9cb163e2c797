#include "platform/win32/dialog/dialog.h"

#include <exception>
#include <vector>

#include "base/utf.h"
#include "layout/dialog_template.h"
#include "platform/win32/win32_handles.h"
#include "texts/texts.h"

namespace torva::win {

namespace {

Application* g_application = nullptr;

// Dialog procedures return these messages' results directly; all others go
// through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    switch (message) {
        case WM_CHARTOITEM:
        case WM_COMPAREITEM:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_VKEYTOITEM:
            return true;
        default:
            return false;
    }
}

constexpr UINT kExitInternalError = 70;  // sysexits' EX_SOFTWARE

// An exception must not unwind through user32, which called the dialog
// procedure: the program ends with a message instead.
[[noreturn]] void EndOnException(const char* what) {
    const std::wstring text = Utf8ToWide(std::string(texts::kInternalErrorLead) + what);
    MessageBoxW(nullptr, text.c_str(), ProgramName().c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(kExitInternalError);
}

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

bool FaceInstalled(const std::wstring& face) {
    LOGFONTW font = {};
    font.lfCharSet = DEFAULT_CHARSET;
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    face.copy(font.lfFaceName, face.size());
    bool found = false;
    const UniqueScreenDc dc(GetDC(nullptr));
    EnumFontFamiliesExW(dc.Get(), &font, &NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// A family under the names GDI knows it by: localised and English.
struct FaceNames {
    const wchar_t* local;
    const wchar_t* english;
};
const FaceNames kKnownFaces[] = {
    {L"굴림", L"Gulim"},
    {L"맑은 고딕", L"Malgun Gothic"},
};
// Hangul faces for a missing template face, best first. Malgun Gothic ships
// with every Windows from Vista on, whatever its language.
const FaceNames kStandInFaces[] = {
    {L"맑은 고딕", L"Malgun Gothic"},
};

}  // namespace

std::wstring DialogFace(const std::wstring& templateFace) {
    if (FaceInstalled(templateFace)) return templateFace;
    for (const FaceNames& family : kKnownFaces) {
        if ((templateFace == family.local || templateFace == family.english) &&
            (FaceInstalled(family.local) || FaceInstalled(family.english))) {
            return templateFace;
        }
    }
    for (const FaceNames& family : kStandInFaces) {
        for (const wchar_t* name : {family.local, family.english}) {
            if (FaceInstalled(name)) return name;
        }
    }
    return templateFace;
}

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal() {
    HWND owner = parent_;
    if (owner == nullptr) {
        const Application* app = Application::Current();
        if (app != nullptr && app->MainWindow != nullptr && app->MainWindow != this) {
            owner = app->MainWindow->Handle();
        }
    }
    ended_ = false;
    result_ = -1;
    if (Create(owner) == nullptr) return -1;
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    // A template without WS_VISIBLE is shown once its initialisation is done.
    if (!ended_ && hwnd_ != nullptr && !IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNORMAL);

    bool quit = false;
    int quitCode = 0;
    MSG message;
    while (!ended_ && hwnd_ != nullptr) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) break;
        if (!PreTranslateMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    if (hwnd_ != nullptr) {
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    // The owner gets the activation back before this window goes away.
    if (disableOwner) EnableWindow(owner, TRUE);
    if (owner != nullptr && hwnd_ != nullptr && GetActiveWindow() == hwnd_) SetActiveWindow(owner);
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    if (quit) {
        PostQuitMessage(quitCode);  // outer loops end as well
        return -1;
    }
    return ended_ ? result_ : -1;
}

HWND Dialog::Create(HWND owner) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    const auto param = reinterpret_cast<LPARAM>(this);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(templateId_), MAKEINTRESOURCEW(5));
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* bytes = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
    if (bytes != nullptr && size > 0) {
        if (const auto face = TemplateFace(bytes, size)) {
            const std::wstring wanted(face->begin(), face->end());
            const std::wstring chosen = DialogFace(wanted);
            if (chosen != wanted) {
                const auto patched =
                    WithTemplateFace(bytes, size, std::u16string(chosen.begin(), chosen.end()));
                if (patched) {
                    return CreateDialogIndirectParamW(
                        module, reinterpret_cast<LPCDLGTEMPLATEW>(patched->data()), owner,
                        &Dialog::DialogProc, param);
                }
            }
        }
    }
    // The template as it stands: where its face is installed nothing changes.
    return CreateDialogParamW(module, MAKEINTRESOURCEW(templateId_), owner, &Dialog::DialogProc,
                              param);
}

SIZE Dialog::BaseUnits() const {
    RECT units = {0, 0, 4, 8};
    if (hwnd_ == nullptr || !MapDialogRect(hwnd_, &units)) return SIZE{0, 0};
    return SIZE{units.right, units.bottom};
}

void Dialog::EndDialog(INT_PTR result) {
    ended_ = true;
    result_ = result;
    // Wakes the loop when this runs inside a message sent from elsewhere.
    if (hwnd_ != nullptr) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void Dialog::UpdateData() {
    if (hwnd_ != nullptr) DoDataExchange(DataExchange(hwnd_));
}

BOOL Dialog::OnInitDialog() {
    UpdateData();
    return TRUE;
}

void Dialog::DoDataExchange(const DataExchange&) {}

BOOL Dialog::PreTranslateMessage(MSG& message) {
    return hwnd_ != nullptr && IsDialogMessageW(hwnd_, &message);
}

void Dialog::OnOK() { EndDialog(IDOK); }

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::Default() {
    if (passOn_ != nullptr) *passOn_ = true;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) try {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        self->CenterOverOwner();
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) return FALSE;
    if (message == WM_NCDESTROY) {
        self->hwnd_ = nullptr;
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        return FALSE;
    }
    return self->Dispatch(message, wParam, lParam);
} catch (const std::exception& error) {
    EndOnException(error.what());
} catch (...) {
    EndOnException("unknown exception");
}

const MessageEntry* Dialog::Find(UINT message, WPARAM wParam, LPARAM lParam) const {
    const MessageTable table = Messages();
    for (const MessageEntry* entry = table.begin; entry != table.end; ++entry) {
        if (entry->message != message) continue;
        if (message == WM_COMMAND) {
            if (entry->code == HIWORD(wParam) && entry->id == LOWORD(wParam)) return entry;
        } else if (message == WM_NOTIFY) {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header != nullptr && entry->code == header->code && entry->id == header->idFrom) {
                return entry;
            }
        } else {
            return entry;
        }
    }
    return nullptr;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const MessageEntry* entry = Find(message, wParam, lParam)) {
        // Handlers may run nested loops that dispatch to this dialog again,
        // so each call keeps its own flag.
        bool passOn = false;
        bool* outer = passOn_;
        passOn_ = &passOn;
        const LRESULT result = entry->invoke(*this, wParam, lParam);
        passOn_ = outer;
        if (passOn || hwnd_ == nullptr) return FALSE;
        if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    // OK and Cancel (Enter, Escape, the close box) end the dialog unless the
    // table says otherwise.
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
            case IDOK:
                OnOK();
                return TRUE;
            case IDCANCEL:
                OnCancel();
                return TRUE;
            default:
                break;
        }
    }
    return FALSE;
}

void Dialog::CenterOverOwner() const {
    RECT window;
    if (!GetWindowRect(hwnd_, &window)) return;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    RECT area = monitor.rcWork;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    // Keep the whole dialog on the work area.
    const RECT& work = monitor.rcWork;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Application::Application() { g_application = this; }

Application::~Application() {
    if (g_application == this) g_application = nullptr;
}

Application* Application::Current() { return g_application; }

int RunApplication() {
    Application* app = Application::Current();
    if (app == nullptr) return 1;
    app->InitInstance();
    return 0;
}

std::wstring ProgramName() {
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0) return L"";
        if (got < path.size()) {
            path.resize(got);
            break;
        }
        path.assign(path.size() * 2, L'\0');
    }
    std::wstring name(path.begin(), path.end());
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

void NoticeBox(HWND owner, const std::string& text) {
    // Over whatever the owner has open on top of it, as the framework does.
    if (owner != nullptr) owner = GetLastActivePopup(owner);
    MessageBoxW(owner, Utf8ToWide(text).c_str(), ProgramName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace torva::win
