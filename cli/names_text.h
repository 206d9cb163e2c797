// Names, labels and folders as torvacheck prints them: every character that
// could hide, reorder or break a line shows as an escape a reader can type
// back, so two names never print alike and `delete` takes what was printed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scan/seams.h"

namespace torva::cli {

// `text` for the terminal. Invisible, spacing-lookalike and direction-changing
// characters and controls (C0, DEL, C1) print as `\u{XXXX}` (uppercase hex,
// four digits at least); each byte that is not UTF-8 as `\xHH`; a backslash
// as `\\` where the text after it would read as an escape (`\`, `xHH`, `u{`).
// Everything else prints as it is.
std::string Printable(const std::string& text);

// The bytes Printable was given: FromPrintable(Printable(t)) == t for every t.
// `\\`, `\xHH` and `\u{H...}` (a Unicode scalar value) are read as escapes;
// any other backslash is itself.
std::string FromPrintable(const std::string& text);

// Whether `text` is well-formed UTF-8 (a WTF-8 surrogate is not).
bool IsUtf8(const std::string& text);

// A notice as the terminal shows it: its facts made Printable before they are
// worded, one "\n" between lines and none at the end.
std::string PrintableNotice(const Notice& notice);

// The names of the folder's listing that `arguments` name, each once, in the
// order first named: an argument is what it reads as once unescaped when the
// listing has that, else the name itself; only bare names are taken (on
// Windows a name holding a backslash never is). `unlisted` gets the others.
std::vector<std::string> ListedNames(const std::vector<std::string>& arguments,
                                     const std::vector<std::string>& listing,
                                     std::vector<std::string>& unlisted);

}  // namespace torva::cli
