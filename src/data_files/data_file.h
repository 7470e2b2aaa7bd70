#pragma once

#include <string>

// The data files are read by fixed paths. Whatever stands at such a path is
// used only when it is a regular file: a pipe, a device or a directory would
// block or mislead the readers, so it is left out as a missing file would be.

// Why the path cannot be read as a data file, or empty when it is a regular
// file or when nothing is there (a missing file is the readers' own concern).
std::string notRegularFileReason(const char* path);

// The one line on standard error that says a data file is left out, and why.
void reportLeftOut(const char* path, const std::string& reason);

// The one line on standard error that says a damaged data file is used as far
// as it can be read, and why.
void reportReadInPart(const char* path, const std::string& reason);
