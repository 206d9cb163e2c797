// Questions and notices as message boxes.
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
    bool Confirm(const std::string& body, const std::string& caption) override;
    // The notice box: OK, exclamation icon, captioned with the program's name.
    void Notice(const std::string& text) override;

private:
    const Dialog& owner_;
};

}  // namespace torva::win
