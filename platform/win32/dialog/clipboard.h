// Text onto the clipboard, as Unicode text.
#pragma once

#include <windows.h>

#include <string>

namespace torva::win {

// Replaces the clipboard's contents with `utf8` as CF_UNICODETEXT. False
// when the clipboard could not be had (another program holds it open).
bool CopyTextToClipboard(HWND owner, const std::string& utf8);

}  // namespace torva::win
