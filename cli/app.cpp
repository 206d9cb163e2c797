#include <CLI/CLI.hpp>
#include <filesystem>
#include <map>

#include "cli/commands.h"

namespace torva::cli {

namespace {

struct Options {
    std::string folder;
    bool json = false;
    bool yes = false;
    bool no = false;
    bool dryRun = false;
    std::string moveTo;
};

// The folder as an absolute path, as messages and the JSON report show it.
std::optional<std::string> CheckFolder(const std::string& folder, const char* what) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path = fs::u8path(folder);
    if (!fs::exists(path, ec)) {
        std::fprintf(stderr, "torvacheck: %s does not exist: %s\n", what, folder.c_str());
        return std::nullopt;
    }
    if (!fs::is_directory(path, ec)) {
        std::fprintf(stderr, "torvacheck: %s is not a directory: %s\n", what, folder.c_str());
        return std::nullopt;
    }
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? folder : absolute.lexically_normal().u8string();
}

int RunWithFolder(const Command& command, Context& context, const Options& options) {
    std::optional<std::string> folder;
    if (!options.folder.empty()) {
        folder = CheckFolder(options.folder, "folder");
    } else {
        const DownloadFolderResult found =
            FindDownloadFolder(context.platform.FolderSources(), context.platform.UserPrompts());
        if (found.outcome == FolderSearch::Found) {
            folder = CheckFolder(found.folder, "download folder");
        }
    }
    if (!folder) return kExitFolder;
    if (!options.moveTo.empty()) {
        const auto target = CheckFolder(options.moveTo, "move-to folder");
        if (!target) return kExitFolder;
        std::error_code ec;
        if (std::filesystem::equivalent(std::filesystem::u8path(*target),
                                        std::filesystem::u8path(*folder), ec)) {
            std::fprintf(stderr, "torvacheck: the move-to folder is the download folder: %s\n",
                         target->c_str());
            return kExitUsage;
        }
        context.moveTo = *target;
    }

    MapFolder mapFolder(*folder, context.platform.Lister(), context.platform.Files(),
                        context.platform.UserPrompts());
    if (!mapFolder.EnterFolder()) {
        std::fprintf(stderr, "torvacheck: cannot enter folder: %s\n", folder->c_str());
        return kExitFolder;
    }
    mapFolder.ScanFolder();
    context.folder = &mapFolder;
    const int status = command.run(context);
    context.folder = nullptr;
    return status;
}

}  // namespace

int RunTorvacheck(const std::vector<std::string>& arguments) {
    CLI::App app{"Checks the TORVA maps of the Warcraft III download folder."};
    app.name("torvacheck");
    app.fallthrough();
    Options options;
    app.add_option("--folder", options.folder,
                   "download folder (default: as the program finds it)");
    app.add_flag("--json", options.json, "write JSON to stdout");
    auto* yes = app.add_flag("--yes", options.yes, "answer Yes to every confirmation");
    app.add_flag("--no", options.no, "answer No to every confirmation")->excludes(yes);
    app.add_flag("--dry-run", options.dryRun,
                 "clean-ups decide and report what they would do, and change nothing");
    app.add_option("--move-to", options.moveTo,
                   "clean-ups move the files they remove into DIR instead of deleting them");
    app.require_subcommand(0, 1);

    std::map<const CLI::App*, const Command*> byApp;
    std::vector<std::string> commandArgs;
    for (const Command& command : Commands()) {
        CLI::App* sub = app.add_subcommand(command.name, command.summary);
        switch (command.arguments) {
            case Arguments::None:
                break;
            case Arguments::OneOrMore:
                sub->add_option(command.argumentName, commandArgs)->required();
                break;
            case Arguments::ExactlyOne:
                sub->add_option(command.argumentName, commandArgs)->required()->expected(1);
                break;
        }
        byApp[sub] = &command;
    }

    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }

    const Command* command = &Commands().front();
    for (const CLI::App* sub : app.get_subcommands()) command = byApp.at(sub);

    const PresetAnswer answer = options.yes  ? PresetAnswer::Yes
                                : options.no ? PresetAnswer::No
                                             : PresetAnswer::Ask;
    auto platform = MakePlatformAdapters(answer);
    Context context{options.json, commandArgs, *platform,      nullptr,
                    stdout,       stderr,      options.dryRun, std::string()};
    if (!command->needsFolder) return command->run(context);
    return RunWithFolder(*command, context, options);
}

}  // namespace torva::cli
