// The About box, opened from the main dialog's system menu.
#pragma once

#include "platform/win32/dialog/dialog.h"

namespace torva {

// Template 100; OK, Escape and the close box end it.
class CAboutBox : public win::Dialog {
public:
    CAboutBox();
};

}  // namespace torva
