#include "frame_files.h"

#include <cstdio>
#include <filesystem>

namespace {

// Six digits cover the usual runs and keep the files in order when listed.
std::string tickDigits(std::int32_t tick)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06d", static_cast<int>(tick));
    return digits;
}

}

std::string framePath(const std::string& output, int build, std::int32_t tick)
{
    const std::size_t mark = output.find(tickPlaceholder);
    if (mark == std::string::npos) {
        return output + "/pelmora-" + std::to_string(build) + "-tick-" + tickDigits(tick) + ".png";
    }
    std::string path = output;
    path.replace(mark, std::string(tickPlaceholder).size(), tickDigits(tick));
    return path;
}

std::string absolutePath(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::absolute(path, ignored).string();
}
