// Folders the shell knows for the current user.
#pragma once

#include <string>

namespace torva {

// The user's documents folder (FOLDERID_Documents); empty when the shell
// cannot tell it.
std::string KnownDocumentsFolder();

}  // namespace torva
