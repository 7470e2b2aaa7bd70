#pragma once

#include <cstddef>
#include <memory>
#include <string>

// A file being written that has no name yet: nobody sees it under its real
// name until it is complete. A crash, a signal or a full disk before that
// leaves no file behind under the real name; one given up is removed with
// its owner.
struct OutputFile {
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    int descriptor = -1;
    std::string path;        // the name it takes once complete
    std::string temporary;   // a named temporary beside it, on a file system without unnamed files
};

// Checks, before any work, that a file of this name can be made: its folder
// exists and takes new files (tried, not guessed from modes, since root
// passes every mode check), and the name is free or a regular file: a folder,
// a device, a FIFO, a socket or a link there is not ours to replace. The name
// is taken literally. On a fault returns false and says why in error.
bool checkOutputName(const std::string& path, std::string& error);

// Opens an unnamed file in the folder of path; null, saying why in error, when it cannot.
std::unique_ptr<OutputFile> openOutput(const std::string& path, std::string& error);

// Writes all the bytes, or says why not.
bool writeOutput(OutputFile& file, const void* bytes, std::size_t size, std::string& error);

// Puts the complete file on disk and gives it its name, replacing a regular
// file of that name in one step, and nothing else. On a fault the file stays
// nameless.
bool finishOutput(OutputFile& file, std::string& error);
