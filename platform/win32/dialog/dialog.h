// The small dialog layer that stands in for a framework: a dialog built from a
// template, dispatching through a static message table, run modally by a loop
// of our own that offers every queued message to PreTranslateMessage first.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/dialog/controls.h"
#include "platform/win32/dialog/message_table.h"

namespace torva::win {

class Dialog {
public:
    // `parent` null: owned by the application's main window, if any.
    explicit Dialog(int templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the dialog, disables its owner and runs the message loop until
    // EndDialog. Returns EndDialog's value, or -1 when the dialog could not be
    // created or a quit request ended the loop (the request is passed on).
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    HWND Handle() const { return hwnd_; }
    // Writes every member text into its control (one data-exchange run).
    void UpdateData();
    // Pixels per 4 horizontal and per 8 vertical dialog units: what the
    // template's font makes of the layout at this DPI.
    SIZE BaseUnits() const;

protected:
    // Runs the first data exchange. TRUE: the system focuses the first control.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(const DataExchange& exchange);
    // Sees every queued message before it is translated and dispatched; TRUE
    // when it was handled. The base gives the dialog its keyboard navigation.
    virtual BOOL PreTranslateMessage(MSG& message);
    virtual MessageTable Messages() const { return {}; }
    virtual void OnOK();
    virtual void OnCancel();
    // Within a handler: let the system's default processing have the message
    // too, once the handler returns.
    void Default();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    const MessageEntry* Find(UINT message, WPARAM wParam, LPARAM lParam) const;
    void CenterOverOwner() const;
    HWND Create(HWND owner);

    int templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool ended_ = false;
    INT_PTR result_ = -1;
    bool* passOn_ = nullptr;  // the running handler's "default processing" flag
};

// The application object: InitInstance holds the program's whole life.
class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    virtual BOOL InitInstance() = 0;
    static Application* Current();

    // The main window: owner of dialogs made without a parent.
    Dialog* MainWindow = nullptr;
};

// Starts the one Application object; the process's exit code.
int RunApplication();

// The face a dialog is drawn with when its template names `templateFace`:
// that face where it is installed; where it is not (Gulim is missing from
// Windows without Korean fonts), an installed stand-in that carries Hangul
// with sane metrics; none found: the template's, left to the font mapper.
std::wstring DialogFace(const std::wstring& templateFace);

// The program file's name without directory and extension.
std::wstring ProgramName();

// A notice: OK only, exclamation icon, captioned with the program's name;
// owned by whatever `owner` has open on top of it.
void NoticeBox(HWND owner, const std::string& text);

}  // namespace torva::win
