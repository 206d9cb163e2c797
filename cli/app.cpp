#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>

#include "cli/command_line_paths.h"
#include "cli/commands.h"
#include "version.h"

namespace torva::cli {

namespace {

struct Options {
    std::string folder;
    bool json = false;
    bool yes = false;
    bool no = false;
    bool dryRun = false;
    std::string moveTo;
    bool folderGiven = false;
    bool moveToGiven = false;
};

// The report reached its reader only if every write to stdout did. A closed
// pipe or a full disk is told on stderr (which may be gone too) and in the
// exit status; what the command changed stands.
int CheckOutput(int status) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (flushed && std::ferror(stdout) == 0) return status;
    std::fprintf(stderr, "torvacheck: the report could not be written%s%s\n",
                 errno != 0 ? ": " : "", errno != 0 ? std::strerror(errno) : "");
    return kExitOutput;
}

// Why a folder could not be entered, in a few words.
std::string WhyNotEntered(const Result& result) {
    switch (result.kind) {
        case Failure::NotFound:
            return "it is gone";
        case Failure::AccessDenied:
            return "permission denied";
        case Failure::TooLong:
            return "the path is too long";
        default:
            return "not a usable folder (code " + std::to_string(result.code) + ")";
    }
}

// The folder as an absolute path, resolved as the system resolves it, as
// messages and the JSON report show it and as every later use takes it.
std::optional<std::string> CheckFolder(const std::string& folder, const char* what) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(fs::u8path(folder), ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        std::fprintf(stderr, "torvacheck: %s cannot be used: %s (%s)\n", what,
                     Printable(folder).c_str(), ec.message().c_str());
        return std::nullopt;
    }
    if (!fs::exists(status)) {
        std::fprintf(stderr, "torvacheck: %s does not exist: %s\n", what,
                     Printable(folder).c_str());
        return std::nullopt;
    }
    if (!fs::is_directory(status)) {
        std::fprintf(stderr, "torvacheck: %s is not a directory: %s\n", what,
                     Printable(folder).c_str());
        return std::nullopt;
    }
    auto resolved = ResolvedFolder(folder, ec);
    if (!resolved) {
        std::fprintf(stderr, "torvacheck: %s cannot be resolved: %s (%s)\n", what,
                     Printable(folder).c_str(), ec.message().c_str());
    }
    return resolved;
}

int RunWithFolder(const Command& command, Context& context, const Options& options) {
    std::optional<std::string> folder;
    if (options.folderGiven) {
        folder = CheckFolder(options.folder, "folder");
    } else {
        const DownloadFolderResult found = FindDownloadFolder(context.platform.FolderSources());
        if (found.notice) context.platform.UserPrompts().Tell(*found.notice);
        if (found.outcome == FolderSearch::Found) {
            folder = CheckFolder(found.folder, "download folder");
        } else {
            std::fprintf(stderr,
                         "torvacheck: no download folder found through %s; "
                         "name one with --folder DIR\n",
                         Printable(context.platform.WhereLooked()).c_str());
        }
    }
    if (!folder) return kExitFolder;
    if (options.moveToGiven) {
        const auto target = CheckFolder(options.moveTo, "move-to folder");
        if (!target) return kExitFolder;
        context.moveTo = *target;
    }

    FolderModel model;
    model.Open(*folder, context.platform.Lister(), context.platform.Files(),
               context.platform.UserPrompts());
    const Result entered = context.platform.Files().BindFolder(*folder);
    if (!entered.Ok()) {
        std::fprintf(stderr, "torvacheck: cannot enter folder: %s (%s)\n",
                     Printable(*folder).c_str(), WhyNotEntered(entered).c_str());
        return kExitFolder;
    }
    model.List();
    if (model.Folder()->ListingFailure()) {
        std::fprintf(stderr, "torvacheck: the folder's listing could not be read: %s\n",
                     Printable(*folder).c_str());
        return kExitFolder;
    }
    if (!context.moveTo.empty()) {
        // Compared by what the folders are, not by how they are written.
        const Result target = context.platform.Files().BindTarget(context.moveTo);
        if (target.kind == Failure::Exists) {
            std::fprintf(stderr, "torvacheck: the move-to folder is the download folder: %s\n",
                         Printable(context.moveTo).c_str());
            return kExitUsage;
        }
        if (!target.Ok()) {
            std::fprintf(stderr, "torvacheck: cannot enter the move-to folder: %s (%s)\n",
                         Printable(context.moveTo).c_str(), WhyNotEntered(target).c_str());
            return kExitFolder;
        }
        context.platform.MoveTo(context.moveTo);
    }
    model.ScanListing();
    context.model = &model;
    const int status = command.run(context);
    context.model = nullptr;
    return status;
}

}  // namespace

int RunTorvacheck(const std::vector<std::string>& arguments) {
    CLI::App app{"Checks the TORVA maps of the Warcraft III download folder."};
    app.name("torvacheck");
    app.fallthrough();
    Options options;
    auto* folderOption = app.add_option("--folder", options.folder,
                                        "download folder (default: as the program finds it)");
    app.add_flag("--json", options.json, "write JSON to stdout");
    auto* yes = app.add_flag("--yes", options.yes, "answer Yes to every confirmation");
    app.add_flag("--no", options.no, "answer No to every confirmation")->excludes(yes);
    app.add_flag("--dry-run", options.dryRun,
                 "clean-ups decide and report what they would do, and change nothing");
    auto* moveToOption =
        app.add_option("--move-to", options.moveTo,
                       "clean-ups move the files they remove into DIR instead of deleting them");
    app.set_version_flag("--version", std::string("torvacheck ") + TORVA_VERSION_TEXT);
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

    // An empty value names no folder: never the registry's folder in place of
    // --folder "", never deleting in place of --move-to "".
    options.folderGiven = folderOption->count() > 0;
    options.moveToGiven = moveToOption->count() > 0;
    for (const auto& [given, value, name] :
         {std::tuple{options.folderGiven, options.folder, "--folder"},
          std::tuple{options.moveToGiven, options.moveTo, "--move-to"}}) {
        if (given && value.empty()) {
            std::fprintf(stderr, "torvacheck: %s needs a folder; an empty value names none\n",
                         name);
            return kExitUsage;
        }
    }

    const Command* command = &Commands().front();
    for (const CLI::App* sub : app.get_subcommands()) command = byApp.at(sub);

    const PresetAnswer answer = options.yes  ? PresetAnswer::Yes
                                : options.no ? PresetAnswer::No
                                             : PresetAnswer::Ask;
    auto platform = MakePlatformAdapters(answer);
    Context context{options.json, commandArgs, *platform,      nullptr,
                    stdout,       stderr,      options.dryRun, std::string()};
    if (!command->needsFolder) return CheckOutput(command->run(context));
    return CheckOutput(RunWithFolder(*command, context, options));
}

}  // namespace torva::cli
