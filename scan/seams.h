// What the portable core asks of the platform. One adapter per platform lives
// under platform/; tests use scripted fakes.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace torva {

// Lists the current directory: plain files only, no subdirectories. On Windows
// this is the dialog's file list box, which keeps the listing for display.
class FolderLister {
public:
    virtual ~FolderLister() = default;
    virtual void Empty() = 0;
    // Adds one entry per file of the current directory ("*.*").
    virtual void ListCurrentDirectory() = 0;
    virtual int Count() const = 0;
    // UTF-8 bare name of entry i.
    virtual std::string Name(int index) const = 0;
};

// A lister that reads the directory itself (not through a list box) and keeps
// the names in byte order; an adapter only says how to read the names.
class SortedFolderLister : public FolderLister {
public:
    void Empty() override { names_.clear(); }
    void ListCurrentDirectory() override {
        for (std::string& name : ReadCurrentDirectory()) names_.push_back(std::move(name));
        std::sort(names_.begin(), names_.end());
    }
    int Count() const override { return static_cast<int>(names_.size()); }
    std::string Name(int index) const override {
        return names_.at(static_cast<std::size_t>(index));
    }

protected:
    // The plain files of the current directory, in any order.
    virtual std::vector<std::string> ReadCurrentDirectory() = 0;

private:
    std::vector<std::string> names_;
};

enum class CopyOutcome { Copied, AlreadyExists, Failed };

// File operations on the download folder. Names are UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Makes `folder` the current directory. False when it cannot: the caller
    // must then neither list nor touch anything.
    virtual bool SetCurrentFolder(const std::string& folder) = 0;
    // Opens a file for reading bytes ("rb"); nullptr when it cannot be opened.
    virtual std::FILE* OpenForReading(const std::string& name) = 0;
    // Deletes a file; bare names resolve against the current directory.
    virtual bool Remove(const std::string& name) = 0;
    virtual CopyOutcome Copy(const std::string& source, const std::string& destination,
                             bool failIfExists) = 0;
    // Whether a file or folder of this name exists.
    virtual bool Exists(const std::string& path) = 0;
};

// Questions and notices for the user.
class Prompts {
public:
    virtual ~Prompts() = default;
    // Yes/No with the question icon; true only on Yes.
    virtual bool Confirm(const std::string& body, const std::string& caption) = 0;
    // OK only, exclamation icon, captioned with the program's name.
    virtual void Notice(const std::string& text) = 0;
};

}  // namespace torva
