#include "data_files/data_file.h"

#include <cstdio>

#include "platform/data_path.h"
#include "platform/process.h"

std::string notRegularFileReason(const char* path)
{
    return pathKind(path) == PathKind::Other ? "not a regular file" : std::string();
}

void reportLeftOut(const char* path, const std::string& reason)
{
    std::fprintf(stderr, "%s: %s: %s; left out\n", programName(), path, reason.c_str());
}

void reportReadInPart(const char* path, const std::string& reason)
{
    std::fprintf(stderr, "%s: %s: %s; drawn as far as it can be read\n", programName(), path, reason.c_str());
}
