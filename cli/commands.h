// torvacheck's commands: one function each, listed in one table so the
// clean-up commands can join them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/names_text.h"
#include "cli/platform_adapters.h"
#include "model/folder_model.h"

namespace torva::cli {

constexpr int kExitOk = 0;
constexpr int kExitFolder = 1;  // folder not found or not usable; also unreadable input
constexpr int kExitUsage = 2;
constexpr int kExitChangeFailed = 3;  // a clean-up could not make a change it planned
constexpr int kExitOutput = 4;        // the report could not be written (closed pipe, full disk)
constexpr int kExitIncomplete = 5;    // a clean-up could not see every file: it left those

struct Context {
    bool json = false;
    std::vector<std::string> args;  // the command's own arguments
    PlatformAdapters& platform;
    FolderModel* model = nullptr;  // listed and scanned already when the command needs the folder
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool dryRun = false;  // clean-ups decide and report, and change nothing
    std::string moveTo;   // clean-ups move what they remove there; empty: delete
};

enum class Arguments { None, OneOrMore, ExactlyOne };

struct Command {
    const char* name;
    const char* summary;
    Arguments arguments;
    const char* argumentName;
    bool needsFolder;  // locate (or take --folder) and scan before running
    int (*run)(Context&);
};

// The command table; the first entry is the default command.
const std::vector<Command>& Commands();

// The whole program on UTF-8 arguments; returns the exit status.
int RunTorvacheck(const std::vector<std::string>& arguments);

}  // namespace torva::cli
