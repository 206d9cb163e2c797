// Why a map got its verdict, as the dialog shows it under the pointer and
// Ctrl+C copies it: the label, the verdict and the reason, in the words
// torvacheck prints.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "scan/folder_scan.h"

namespace torva {

struct EntryWhy {
    // The record behind the entry; none on the listing or past the view's end.
    const FamilyMap* map = nullptr;
    // Label, verdict and reason, one a line (CRLF); empty without a record.
    std::string text;
};

// Entry `entry` of view `view`'s list (as ViewNames gives it) and why.
EntryWhy WhyOf(int view, std::size_t entry, const ScanResults& results);

// Why a listed file was not judged (it could not be read); empty when it was,
// or was never to be (past the limit, a name too long for the lists).
std::string WhyNotExamined(const std::string& name, const ScanResults& results);

// The text Ctrl+C copies for `entries` of view `view`, whose list is `names`:
// one line an entry, "name<TAB>label<TAB>verdict<TAB>reason", or the name
// alone where no record stands behind it (every entry of the listing).
// Lines end in CRLF but the last.
std::string CopyText(int view, const std::vector<std::size_t>& entries,
                     const std::vector<std::string>& names, const ScanResults& results);

}  // namespace torva
