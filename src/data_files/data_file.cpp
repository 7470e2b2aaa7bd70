#include "data_files/data_file.h"

#include <sys/stat.h>

#include <cstdio>

#include "platform/process.h"

std::string notRegularFileReason(const char* path)
{
    struct stat status {};
    if (stat(path, &status) != 0 || S_ISREG(status.st_mode)) {
        return {};
    }
    return "not a regular file";
}

void reportLeftOut(const char* path, const std::string& reason)
{
    std::fprintf(stderr, "%s: %s: %s; left out\n", programName(), path, reason.c_str());
}

void reportReadInPart(const char* path, const std::string& reason)
{
    std::fprintf(stderr, "%s: %s: %s; drawn as far as it can be read\n", program_invocation_short_name, path, reason.c_str());
}
