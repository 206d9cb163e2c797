// The open-file dialog of the Insert command: one existing file, chosen with
// the map filter first. Fields of fixed size, as the program has always used;
// a choice that does not fit them is reported, never cut short.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace torva::win {

struct OpenFileChoice {
    enum class Status { Chosen, Cancelled, TooLong };
    Status status = Status::Cancelled;
    std::string path;      // UTF-8 full path, when chosen
    std::string fileName;  // UTF-8 bare name with extension, when chosen
};

// The fields in code page 949 bytes, each with its NUL: a Hangul syllable
// takes two of them.
constexpr std::size_t kOpenFilePathBytes = 260;  // the full path
constexpr std::size_t kOpenFileNameBytes = 64;   // the bare name

// Runs GetOpenFileName modally over `owner`. A failure of the dialog itself
// counts as a cancel; a path or name longer than its field is TooLong.
OpenFileChoice ChooseFileToOpen(HWND owner);

// Whether a chosen path and its bare name fit the dialog's fields.
bool FitsOpenFileFields(const std::string& path, const std::string& name);

}  // namespace torva::win
