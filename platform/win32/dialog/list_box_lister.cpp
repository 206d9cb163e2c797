#include "platform/win32/dialog/list_box_lister.h"

#include "platform/win32/win32_file_system.h"

namespace torva::win {

void ListBoxLister::Empty() { box_.ResetContent(); }

bool ListBoxLister::List(const std::string& folder) {
    if (!MakeCurrentFolder(folder)) return false;  // never list another folder
    box_.Dir(DDL_READWRITE, L"*.*");
    return true;
}

int ListBoxLister::Count() const { return box_.Count(); }

std::string ListBoxLister::Name(int index) const { return box_.Text(index); }

}  // namespace torva::win
