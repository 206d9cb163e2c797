// Questions and notices as message boxes, worded by texts/.
#pragma once

#include <windows.h>

#include "scan/seams.h"

namespace torva::win {

class Dialog;

class MessageBoxPrompts final : public Prompts {
public:
    // Owned by no window until OwnedBy names one.
    MessageBoxPrompts() = default;
    explicit MessageBoxPrompts(const Dialog& owner) : owner_(&owner) {}
    // Questions and notices are owned by `owner` (the main dialog), which the
    // program makes after its adapters.
    void OwnedBy(const Dialog& owner) { owner_ = &owner; }
    // Yes/No with the question icon (MB_YESNO | MB_ICONQUESTION).
    bool Confirm(const Question& question) override;
    // The notice box: OK, exclamation icon, captioned with the program's name.
    void Tell(const Notice& notice) override;

private:
    HWND Owner() const;

    const Dialog* owner_ = nullptr;
};

}  // namespace torva::win
