// Confirmations and notices on the terminal, in the dialog's words. Confirmations are asked on the
// terminal unless --yes or --no answered them; without a terminal the answer
// is No. Notices go to stderr and are kept so the caller can report them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "scan/seams.h"

namespace torva {

enum class PresetAnswer { Ask, Yes, No };

class TerminalPrompts : public Prompts {
public:
    // `interactive`: whether `in` is a terminal a person answers on.
    TerminalPrompts(PresetAnswer answer, std::FILE* in, std::FILE* out, bool interactive);
    // Asks on stdin/stderr when stdin is a terminal.
    explicit TerminalPrompts(PresetAnswer answer);

    bool Confirm(const Question& question) override;
    // Clean-ups move what they remove into `folder` (--move-to): the
    // questions say so instead of asking to delete for good.
    void MoveTo(std::string folder) { moveTo_ = std::move(folder); }
    void Tell(const Notice& notice) override;
    // The notices told so far, worded; one about the folder as a whole (too
    // many files) is told and kept once per run.
    const std::vector<std::string>& Notices() const { return notices_; }

private:
    PresetAnswer answer_;
    std::FILE* in_;
    std::FILE* out_;
    bool interactive_;
    std::vector<std::string> notices_;
    std::vector<Notice> toldOnce_;  // those told once per run, as told
    std::string moveTo_;
};

}  // namespace torva
