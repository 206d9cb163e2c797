// Names and descriptions that screen readers read for a dialog's controls,
// set beside the controls' own texts (dynamic annotation), so the template's
// texts stay as they are.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

struct IAccPropServices;

namespace torva::win {

class AccessibleTexts {
public:
    // Needs COM on this thread; without it (or without the service) every
    // call below does nothing and says so.
    AccessibleTexts();
    ~AccessibleTexts();
    AccessibleTexts(const AccessibleTexts&) = delete;
    AccessibleTexts& operator=(const AccessibleTexts&) = delete;

    // True when the service took the text.
    bool SetName(HWND control, const std::string& text);
    bool SetDescription(HWND control, const std::string& text);
    // Removes every text set here: to be called while the controls still
    // exist (the dialog's WM_DESTROY), as the service asks.
    void Clear();

private:
    enum class Property { Name, Description };
    bool Set(HWND control, Property property, const std::string& text);

    IAccPropServices* services_ = nullptr;
    std::vector<std::pair<HWND, Property>> set_;
};

}  // namespace torva::win
