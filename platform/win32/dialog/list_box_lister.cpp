#include "platform/win32/dialog/list_box_lister.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/win32_directory_lister.h"
#include "platform/win32/win32_file_system.h"

namespace torva::win {

namespace {

// The plain files of `folder` that IsListedFile leaves out: on Windows LB_DIR
// has left hidden and system files out already; Wine's lists them.
std::vector<std::string> FilesLeftOut(const std::string& folder) {
    const auto leftOut = [](unsigned long attributes, const std::string& name) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !IsListedFile(attributes, name);
    };
    return FindFiles(folder, leftOut).value_or(std::vector<std::string>());
}

}  // namespace

void ListBoxLister::Empty() { box_.ResetContent(); }

bool ListBoxLister::List(const std::string& folder) {
    if (!MakeCurrentFolder(folder)) return false;  // never list another folder
    const int before = box_.Count();
    box_.Dir(DDL_READWRITE, L"*.*");
    const std::vector<std::string> leftOut = FilesLeftOut(folder);
    if (leftOut.empty()) return true;
    // Exact comparison: LB_FINDSTRINGEXACT ignores case.
    for (int i = box_.Count() - 1; i >= before; --i) {
        if (std::find(leftOut.begin(), leftOut.end(), box_.Text(i)) != leftOut.end()) {
            box_.DeleteString(i);
        }
    }
    return true;
}

int ListBoxLister::Count() const { return box_.Count(); }

std::string ListBoxLister::Name(int index) const { return box_.Text(index); }

}  // namespace torva::win
