// What the portable core asks of the platform. One adapter per platform lives
// under platform/; tests use scripted fakes.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "base/unique_handle.h"

namespace torva {

// Lists the download folder: plain files only, no subdirectories, in the
// order the program shows them (the dialog program: its list box's).
class FolderLister {
public:
    virtual ~FolderLister() = default;
    // The UTF-8 bare names of the files of `folder` ("*.*"); none when the
    // folder cannot be listed.
    virtual std::optional<std::vector<std::string>> List(const std::string& folder) = 0;
};

// A file opened for reading, and why not when it could not be (a file gone
// since it was listed is NotFound).
struct [[nodiscard]] OpenedFile {
    UniqueFile file;
    Result result;
};

// File operations in the download folder, never in whatever directory happens
// to be current. Names are UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Binds the bare names of the calls below to entries of `folder`. When
    // the folder cannot be used nothing is then read, deleted or copied.
    virtual Result BindFolder(const std::string& folder) = 0;
    // Opens an entry for reading bytes ("rb").
    virtual OpenedFile OpenForReading(const std::string& name) = 0;
    // Deletes an entry.
    virtual Result Remove(const std::string& name) = 0;
    // Copies the file at `sourcePath` (a full path) to the entry `name`; with
    // `failIfExists` an existing entry is kept and the result is Exists.
    virtual Result Copy(const std::string& sourcePath, const std::string& name,
                        bool failIfExists) = 0;
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
