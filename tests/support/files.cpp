#include "support/files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Names to try before giving up; a name is taken only by a folder that stands.
constexpr int namesTried = 100;

// A folder of its own under the system's temporary folder, on every platform.
std::string freshFolder()
{
    static std::random_device draw;
    for (int tried = 0; tried < namesTried; ++tried) {
        const fs::path folder = fs::temp_directory_path() / ("pelmora-" + std::to_string(draw()));
        if (fs::create_directory(folder)) {
            return folder.string();
        }
    }
    throw std::runtime_error("cannot make a folder of its own in " + fs::temp_directory_path().string());
}

}

TemporaryFolder::TemporaryFolder() : path(freshFolder()) {}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

std::string fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}
