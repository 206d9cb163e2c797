// The Wine harness's build of the program only (TORVA_TEST_SEAMS): what a
// test cannot do to the real program from outside, done from inside it.
// Never part of the program players get.
#pragma once

#include "ui/main_dlg.h"

namespace torva {

// Reads the harness's settings from the environment and hooks them into
// `dialog` before it runs.
void InstallTestSeams(CMainDlg& dialog);

}  // namespace torva
