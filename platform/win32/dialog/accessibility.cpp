#include "platform/win32/dialog/accessibility.h"

// After windows.h, which they build on.
#include <objbase.h>
#include <oleacc.h>

#include "base/utf.h"

namespace torva::win {

namespace {

MSAAPROPID IdOf(bool name) { return name ? PROPID_ACC_NAME : PROPID_ACC_DESCRIPTION; }

}  // namespace

AccessibleTexts::AccessibleTexts() {
    void* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &services))) {
        services_ = static_cast<IAccPropServices*>(services);
    }
}

AccessibleTexts::~AccessibleTexts() {
    Clear();
    if (services_ != nullptr) services_->Release();
}

bool AccessibleTexts::SetName(HWND control, const std::string& text) {
    return Set(control, Property::Name, text);
}

bool AccessibleTexts::SetDescription(HWND control, const std::string& text) {
    return Set(control, Property::Description, text);
}

bool AccessibleTexts::Set(HWND control, Property property, const std::string& text) {
    if (services_ == nullptr || control == nullptr) return false;
    const std::wstring wide = Utf8ToWide(text);
    const HRESULT result =
        services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                  IdOf(property == Property::Name), wide.c_str());
    if (FAILED(result)) return false;
    set_.emplace_back(control, property);
    return true;
}

void AccessibleTexts::Clear() {
    if (services_ != nullptr) {
        for (const auto& [control, property] : set_) {
            MSAAPROPID id = IdOf(property == Property::Name);
            services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &id,
                                      1);
        }
    }
    set_.clear();
}

}  // namespace torva::win
