// What the program needs to know about UAC: the process token's facts and
// the folders Windows virtualises for the game.
#pragma once

#include <string>
#include <vector>

#include "locate/virtual_store.h"

namespace torva {

// TokenElevation and TokenVirtualizationEnabled of the process token; each
// unknown when GetTokenInformation cannot tell (Windows without UAC), and
// both under Wine, which has no UAC.
TokenFacts ProcessTokenFacts();

// %ProgramFiles%, %ProgramFiles(x86)% and %ProgramW6432% (the 64-bit one, as
// a 32-bit process sees it), as long paths; unset ones are left out.
std::vector<std::string> ProgramFilesFolders();

// `path` with short (8.3) names made long, as far as it exists; else as given.
std::string LongPathOf(const std::string& path);

}  // namespace torva
