// `torvacheck folders`: every download folder candidate the search tries,
// so a player can tell which folder the other commands examine.
#pragma once

#include "cli/commands.h"

namespace torva::cli {

// Exit 0 when a candidate is used, 1 when none exists.
int RunFolders(Context& context);

}  // namespace torva::cli
