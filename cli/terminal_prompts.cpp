#include "cli/terminal_prompts.h"

#include <algorithm>

#include "cli/names_text.h"
#include "texts/texts.h"

#ifdef _WIN32
#include <io.h>
#define TORVA_STDIN_IS_TERMINAL() (_isatty(_fileno(stdin)) != 0)
#else
#include <unistd.h>
#define TORVA_STDIN_IS_TERMINAL() (::isatty(STDIN_FILENO) == 1)
#endif

namespace torva {

namespace {

// Message texts end in "\r\n" for the dialog; on a terminal one "\n" ends them.
std::string ForTerminal(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace

TerminalPrompts::TerminalPrompts(PresetAnswer answer, std::FILE* in, std::FILE* out,
                                 bool interactive)
    : answer_(answer), in_(in), out_(out), interactive_(interactive) {}

TerminalPrompts::TerminalPrompts(PresetAnswer answer)
    : TerminalPrompts(answer, stdin, stderr, TORVA_STDIN_IS_TERMINAL()) {}

bool TerminalPrompts::Confirm(const Question& question) {
    if (answer_ != PresetAnswer::Ask) return answer_ == PresetAnswer::Yes;
    if (!interactive_) return false;
    const texts::QuestionWords words =
        moveTo_.empty() ? texts::Wording(question)
                        : texts::MovingWording(question, cli::Printable(moveTo_));
    if (!words.caption.empty()) std::fprintf(out_, "[%s] ", words.caption.c_str());
    std::fprintf(out_, "%s [y/N] ", ForTerminal(words.body).c_str());
    std::fflush(out_);
    char line[64];
    if (std::fgets(line, sizeof line, in_) == nullptr) return false;
    return line[0] == 'y' || line[0] == 'Y';
}

void TerminalPrompts::Tell(const Notice& notice) {
    // A notice about the folder as a whole says the same on every rescan of
    // one run; one that names a file is told each time.
    if (std::holds_alternative<notice::TooManyFiles>(notice) ||
        std::holds_alternative<notice::FamilyListFull>(notice)) {
        if (std::find(toldOnce_.begin(), toldOnce_.end(), notice) != toldOnce_.end()) return;
        toldOnce_.push_back(notice);
    }
    notices_.push_back(texts::Wording(notice));
    std::fprintf(out_, "%s\n", cli::PrintableNotice(notice).c_str());
    std::fflush(out_);
}

}  // namespace torva
