// Scripted stand-ins for the platform seams, over a real temporary folder.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "scan/folder_scan.h"
#include "scan/seams.h"
#include "texts/texts.h"

namespace torva::testing {

namespace fs = std::filesystem;

inline void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh, empty folder, by default under the system's temporary directory.
class TempFolder {
public:
    explicit TempFolder(const fs::path& parent = fs::temp_directory_path()) {
        static int counter = 0;
        path_ =
            parent / ("torva-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    // Named like fs::directory_entry::path().
    // NOLINTNEXTLINE(readability-identifier-naming)
    const fs::path& path() const { return path_; }
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        WriteFile(path_ / name, bytes);
    }

private:
    fs::path path_;
};

// Restores the working directory on destruction.
class KeepWorkingDirectory {
public:
    KeepWorkingDirectory() : saved_(fs::current_path()) {}
    ~KeepWorkingDirectory() { fs::current_path(saved_); }

private:
    fs::path saved_;
};

// Lists a scripted set of names (the order given), as the list box would.
class ScriptedLister : public FolderLister {
public:
    std::vector<std::string> names;
    int listings = 0;
    std::optional<std::vector<std::string>> List(const std::string&) override {
        ++listings;
        return names;
    }
};

// The device and inode of a file, links followed; none when it is not there.
inline std::optional<FileIdentity> IdentityOfPath(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
}

// Resolves bare names in one real folder and records what was asked of it.
class RecordingFileSystem : public FileSystem {
public:
    fs::path folder;
    std::string knownFolder;  // the only folder BindFolder accepts
    bool current = false;
    std::vector<std::string> opened;
    std::vector<std::string> deleted;
    std::set<std::string> refused;      // names whose deletion fails, as for a file in use
    std::set<std::string> broken;       // names whose deletion fails otherwise
    std::set<std::string> unreadable;   // names that cannot be opened
    std::set<std::string> cloudOnly;    // names whose data is only in the cloud: never opened
    std::set<std::string> copyRefused;  // destinations a copy into is refused, as by a filter

    // Deletions that come back as "not found" while the file stays, as a
    // filter's refusal may.
    std::set<std::string> notFoundButThere;
    // Runs before each removal, as another program between check and change.
    std::function<void(const std::string&)> beforeRemove;

    std::string bound;
    Result BindFolder(const std::string& path) override {
        current = path == knownFolder && fs::is_directory(folder);
        bound = current ? path : std::string();
        return current ? Result::Success() : Result{Failure::NotFound, 2};
    }
    // A folder that can no longer be used: knownFolder changed, or removed.
    Result CheckFolder() override {
        current = current && bound == knownFolder && fs::is_directory(folder);
        return current ? Result::Success() : Result{Failure::NotFound, 2};
    }
    OpenedFile OpenForReading(const std::string& name) override {
        if (cloudOnly.count(name)) return {UniqueFile(), {Failure::CloudOnly, 0}, std::nullopt};
        opened.push_back(name);
        const bool readable = current && !unreadable.count(name);
        UniqueFile file(readable ? std::fopen((folder / name).c_str(), "rb") : nullptr);
        if (file) return {std::move(file), Result::Success(), IdentityOf(name)};
        return {UniqueFile(), readable ? ErrnoResult(errno) : Result{Failure::Other, 5},
                std::nullopt};
    }
    EntryState Lookup(const std::string& name) override {
        EntryState state;
        std::error_code ec;
        const auto status = fs::symlink_status(folder / name, ec);
        if (!current || !fs::exists(status)) {
            state.result = {Failure::NotFound, 2};
        } else {
            state.name = name;
            state.link = fs::is_symlink(status);
        }
        return state;
    }
    Result Remove(const std::string& name, const std::optional<FileIdentity>& expected) override {
        deleted.push_back(name);
        if (beforeRemove) beforeRemove(name);
        if (!current) return {Failure::Other, 1};
        if (refused.count(name)) return {Failure::AccessDenied, 13};
        if (broken.count(name)) return {Failure::Other, 5};
        if (notFoundButThere.count(name)) return {Failure::NotFound, 2};
        if (expected && IdentityOf(name) != expected) return {Failure::NotSame, 0};
        std::error_code ec;
        if (fs::remove(folder / name, ec)) return Result::Success();
        return ec ? Result{Failure::Other, ec.value()} : Result{Failure::NotFound, 2};
    }
    Result BindTarget(const std::string&) override { return {Failure::Other, 1}; }
    Result MoveOut(const std::string&, const std::optional<FileIdentity>&,
                   const std::string&) override {
        return {Failure::Other, 1};
    }
    std::optional<FileIdentity> IdentityOf(const std::string& name) const {
        return IdentityOfPath(folder / name);
    }
    Result Copy(const std::string& source, const std::string& destination,
                bool failIfExists) override {
        if (!current) return {Failure::NotFound, 2};
        if (failIfExists && fs::exists(folder / destination)) return {Failure::Exists, 80};
        if (copyRefused.count(destination)) return {Failure::AccessDenied, 5};
        std::error_code ec;
        fs::copy_file(source, folder / destination, fs::copy_options::overwrite_existing, ec);
        return ec ? Result{Failure::Other, ec.value()} : Result::Success();
    }
};

// Answers confirmations from a script and keeps every question and notice.
class ScriptedPrompts : public Prompts {
public:
    std::vector<bool> answers;  // consumed front to back; No when exhausted
    std::vector<Question> questions;
    std::vector<Notice> notices;
    // Runs while a notice is open, as the program's nested message loop would.
    std::function<void()> whileNoticeOpen;
    // Runs while a question waits for its answer, as another program might.
    std::function<void()> whileAsked;
    bool Confirm(const Question& question) override {
        questions.push_back(question);
        if (whileAsked) whileAsked();
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void Tell(const Notice& notice) override {
        notices.push_back(notice);
        if (whileNoticeOpen) whileNoticeOpen();
    }
};

// A download folder of real files behind the scripted seams.
class ScriptedFolderTest : public ::testing::Test {
protected:
    TempFolder folder;
    ScriptedLister lister;
    RecordingFileSystem files;
    ScriptedPrompts prompts;
    MapFolder map{"C:\\WC3\\Maps\\Download", lister, files, prompts};

    void SetUp() override {
        files.folder = folder.path();
        files.knownFolder = map.DownloadFolder();
    }
    void Add(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        folder.Write(name, bytes);
        lister.names.push_back(name);
    }
};

}  // namespace torva::testing

// A failed comparison shows questions and notices as the user would read them.
namespace torva::question {
inline void PrintTo(const Question& question, std::ostream* out) {
    const texts::QuestionWords words = texts::Wording(question);
    *out << "[" << words.caption << "] " << words.body;
}
}  // namespace torva::question
namespace torva::notice {
inline void PrintTo(const Notice& notice, std::ostream* out) { *out << texts::Wording(notice); }
}  // namespace torva::notice
