#include "platform/process.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

const char* programName()
{
    return program_invocation_short_name;
}

const std::string& programFolder()
{
    static const std::string folder = [] {
        char path[PATH_MAX];
        const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        if (length <= 0) {
            return std::string(".");
        }
        const std::string self(path, static_cast<std::size_t>(length));
        return self.substr(0, self.rfind('/'));
    }();
    return folder;
}

void setVariable(const char* name, const char* value, bool keep)
{
    setenv(name, value, keep ? 0 : 1);
}

void reachCallersConsole()
{
    // Standard error is the caller's already.
}
