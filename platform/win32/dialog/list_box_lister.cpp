#include "platform/win32/dialog/list_box_lister.h"

namespace torva::win {

void ListBoxLister::Empty() { box_.ResetContent(); }

void ListBoxLister::ListCurrentDirectory() { box_.Dir(DDL_READWRITE, L"*.*"); }

int ListBoxLister::Count() const { return box_.Count(); }

std::string ListBoxLister::Name(int index) const { return box_.Text(index); }

}  // namespace torva::win
