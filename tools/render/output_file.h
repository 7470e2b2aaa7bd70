#pragma once

#include <cstddef>
#include <string>

// A file being written that has no name yet: nobody sees it under its real
// name until it is complete. A crash, a signal or a full disk before that
// leaves no file behind under the real name.
struct OutputFile {
    int descriptor = -1;
    std::string path;        // the name it takes once complete
    std::string temporary;   // a named temporary beside it, on a file system without unnamed files
};

// Checks, before any work, that a file of this name can be made: its folder
// exists and takes new files (tried, not guessed from modes, since root
// passes every mode check), and the name is not a folder. The name is taken
// literally. On a fault returns false and says why in error.
bool checkOutputName(const std::string& path, std::string& error);

// Opens an unnamed file in the folder of path.
bool openOutput(const std::string& path, OutputFile& file, std::string& error);

// Writes all the bytes, or says why not.
bool writeOutput(OutputFile& file, const void* bytes, std::size_t size, std::string& error);

// Puts the complete file on disk and gives it its name, replacing any file
// of that name in one step. Closes the file in any case.
bool finishOutput(OutputFile& file, std::string& error);

// Abandons an unfinished file: it never gets its name.
void dropOutput(OutputFile& file);
