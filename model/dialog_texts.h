// The main dialog's texts for screen readers and for files dropped on it.
// Kept together so they join the program's other texts in one move.
#pragma once

namespace torva {

// Accessible names of the controls whose template text says nothing useful.
extern const char* const kFileListAccessibleName;
extern const char* const kViewTabsAccessibleName;

// Told instead of copying when a chosen (or dropped) file does not fit the
// open-file dialog's fields; the name follows on its own line.
extern const char* const kChosenNameTooLong;
// Told for a dropped folder: only files are copied. %s: the folder's name.
extern const char* const kDroppedFolderRefused;

}  // namespace torva
