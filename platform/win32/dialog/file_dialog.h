// The open-file dialog of the Insert command: one existing file, chosen with
// the map filter first. Fields of fixed size, as the program has always used;
// a choice that does not fit them is reported, never cut short.
#pragma once

#include <windows.h>

#include <string>

namespace torva::win {

struct OpenFileChoice {
    enum class Status { Chosen, Cancelled, TooLong };
    Status status = Status::Cancelled;
    std::string path;      // UTF-8 full path, when chosen
    std::string fileName;  // UTF-8 bare name with extension, when chosen
};

constexpr DWORD kOpenFilePathChars = 260;  // the full path's field, with its NUL
constexpr DWORD kOpenFileNameChars = 64;   // the bare name's field, with its NUL

// Runs GetOpenFileName modally over `owner`. A failure of the dialog itself
// counts as a cancel; a path or name longer than its field is TooLong.
OpenFileChoice ChooseFileToOpen(HWND owner);

}  // namespace torva::win
