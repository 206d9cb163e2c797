// The application object: starts the process's one main dialog and ends the
// program when it closes.
#pragma once

#include "platform/win32/dialog/dialog.h"

namespace torva {

class CMainApp : public win::Application {
public:
    BOOL InitInstance() override;
};

}  // namespace torva
