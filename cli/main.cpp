// torvacheck: the command-line front end. Arguments reach the program as UTF-8;
// on Windows they are taken in UTF-16, and text for a console is written in
// UTF-16 too (see platform/win32/console_text.h).
#include <string>
#include <vector>

#include "cli/commands.h"

#ifdef _WIN32
#include <windows.h>

#include "base/utf.h"
#include "platform/win32/console_text.h"

int wmain(int argc, wchar_t** argv) {
    const torva::ConsoleText out(stdout), err(stderr);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(torva::WideToUtf8(argv[i]));
    return torva::cli::RunTorvacheck(arguments);
}
#else
#include <csignal>

int main(int argc, char** argv) {
    // A reader that goes away (`| head`) must not end a clean-up halfway: the
    // writes fail instead, and the exit status says the report was lost.
    std::signal(SIGPIPE, SIG_IGN);
    return torva::cli::RunTorvacheck(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
