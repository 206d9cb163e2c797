// Questions and notices as message boxes, worded by texts/.
#pragma once

#include <windows.h>

#include "scan/seams.h"

namespace torva::win {

class Dialog;

class MessageBoxPrompts final : public Prompts {
public:
    // Confirmations are owned by `owner` (the main dialog).
    explicit MessageBoxPrompts(const Dialog& owner) : owner_(owner) {}
    // Yes/No with the question icon (MB_YESNO | MB_ICONQUESTION).
    bool Confirm(const Question& question) override;
    // The notice box: OK, exclamation icon, captioned with the program's name.
    void Tell(const Notice& notice) override;

private:
    const Dialog& owner_;
};

}  // namespace torva::win
