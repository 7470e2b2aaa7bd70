#pragma once

// Files a test reads, and folders it makes for its own.

#include <string>
#include <vector>

// A fresh folder in the system's temporary folder, such as /tmp/pelmora-XXXXXX,
// removed with all it holds when its owner goes, on every path out of a test.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string path;
};

// Writes the content as the whole file, in binary.
void writeFile(const std::string& path, const std::string& content);

// A whole file's bytes; empty when it cannot be read.
std::string fileBytes(const std::string& path);

// Every name in the folder, hidden ones too, sorted: what children left there.
std::vector<std::string> filesIn(const std::string& folder);
