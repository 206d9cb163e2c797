// The four views of the download folder as both programs show them: the
// dialog's tabs and torvacheck's sections. The table exists once, here.
#pragma once

#include <string>
#include <vector>

#include "scan/folder_scan.h"

namespace torva {

constexpr int kViewCount = 4;

// Which names a view shows.
enum class ViewList { Listing, FamilyMaps, Genuine, Hacked };

struct ViewDescription {
    const char* title;      // the tab's text
    const char* countLine;  // printf-style; %d = the entries the view shows
    ViewList list;
};

extern const ViewDescription kViews[kViewCount];

// The count line of view `view` showing `count` entries.
std::string CountLine(int view, int count);

// The names view `view` shows, in order: the listing for the first view, the
// records of the last scan for the others.
std::vector<std::string> ViewNames(int view, const std::vector<std::string>& listing,
                                   const ScanResults& results);

}  // namespace torva
