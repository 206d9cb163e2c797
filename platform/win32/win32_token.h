// What the program needs to know about UAC: the process token's facts, the
// machine's UAC settings and what the VirtualStore holds for a folder.
#pragma once

#include <string>

#include "locate/virtual_store.h"

namespace torva {

// TokenElevation, TokenElevationType and TokenVirtualizationEnabled of the
// process token; each unknown when GetTokenInformation cannot tell (Windows
// without UAC), and all under Wine, which has no UAC.
TokenFacts ProcessTokenFacts();

// EnableLUA and EnableVirtualization of the machine's UAC policy
// (HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System); unknown
// when not set.
UacSettings MachineUacSettings();

// The facts the VirtualStore notice is decided on for `folder`, this run's
// token being `token`: both folders listed by the programs' listing rule.
VirtualStoreFacts GatherVirtualStoreFacts(const std::string& folder, const TokenFacts& token);

// `path` with short (8.3) names made long, as far as it exists; else as given.
std::string LongPathOf(const std::string& path);

}  // namespace torva
