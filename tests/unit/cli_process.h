// torvacheck run as a process by the tests, and snapshots of folders to
// compare byte for byte before and after.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "fakes.h"

namespace torva {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::TempFolder;

struct ProcessRun {
    int status;
    std::string out, err;
};

// Runs torvacheck with `args`; `winePrefix` replaces WINEPREFIX (and HOME).
// `stdoutPath`, when given, takes its output in place of a file the run reads.
inline ProcessRun Torvacheck(const std::vector<std::string>& args,
                             const std::string& winePrefix = "/nonexistent",
                             const std::string& stdoutPath = "") {
    TempFolder io;
    const fs::path out = io.path() / "out", err = io.path() / "err";
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<std::string> copies = args;
        copies.insert(copies.begin(), TORVACHECK_PATH);
        std::vector<char*> argv;
        for (auto& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string outPath = stdoutPath.empty() ? out.string() : stdoutPath;
        if (!std::freopen(outPath.c_str(), "wb", stdout) ||
            !std::freopen(err.c_str(), "wb", stderr) || !std::freopen("/dev/null", "rb", stdin)) {
            ::_exit(127);
        }
        ::setenv("WINEPREFIX", winePrefix.c_str(), 1);
        ::setenv("HOME", winePrefix.c_str(), 1);
        ::execv(TORVACHECK_PATH, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    // As a shell tells it: 128 + the signal that ended the run.
    const int code = WIFEXITED(status)     ? WEXITSTATUS(status)
                     : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                           : -1;
    return ProcessRun{code, stdoutPath.empty() ? ReadAll(out) : std::string(), ReadAll(err)};
}

using Snapshot = std::map<std::string, std::string>;  // name -> bytes

inline Snapshot SnapshotOf(const fs::path& folder) {
    Snapshot files;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.is_regular_file()) files[e.path().filename().u8string()] = ReadAll(e.path());
    }
    return files;
}

// Names whose bytes differ between two snapshots, or that only one holds: a
// failure names the files, not their megabytes.
inline std::vector<std::string> Differences(const Snapshot& a, const Snapshot& b) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : a) {
        if (!b.count(name) || b.at(name) != bytes) names.push_back(name);
    }
    for (const auto& [name, bytes] : b) {
        if (!a.count(name)) names.push_back(name);
    }
    return names;
}

}  // namespace torva
