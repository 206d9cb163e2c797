// Folders the shell knows for the current user.
#pragma once

#include <string>
#include <vector>

namespace torva {

// The user's documents folder (FOLDERID_Documents); empty when the shell
// cannot tell it.
std::string KnownDocumentsFolder();

// The user's local application data (FOLDERID_LocalAppData), which holds the
// VirtualStore; empty when the shell cannot tell it.
std::string KnownLocalAppDataFolder();

// The Program Files folders Windows virtualises for a 32-bit program: the
// 32-bit one, and the 64-bit one on 64-bit Windows (from the registry, as a
// 32-bit process cannot ask the shell for it). Long paths; unknown ones are
// left out.
std::vector<std::string> ProgramFilesFolders();

}  // namespace torva
