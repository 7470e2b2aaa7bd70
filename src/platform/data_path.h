#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

// What stands at a data path, as the file system of the platform tells it;
// one file per platform.

enum class PathKind { Missing, Regular, Other };

// Whether a regular file stands at the path, something else (a directory, a
// pipe, a device), or nothing that can be looked at.
PathKind pathKind(const char* path);

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileOwner = std::unique_ptr<std::FILE, FileCloser>;

// What tells a file apart as the file system knows it: its device and number
// there, its size and when it was last written.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::uint64_t modified = 0;

    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && file == other.file && size == other.size && modified == other.modified;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

struct OpenedFile {
    FileOwner file;             // null when it could not be opened
    int error = 0;              // then, the errno value that says why
    bool regular = false;       // whether it is a regular file, as it was opened
    FileIdentity identity;      // when it is
};

// Opens what stands at the path for reading in binary, never waiting on it
// (a pipe or device at the name), and says what it is.
OpenedFile openDataFile(const char* path);
