#include "platform/data_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

PathKind pathKind(const char* path)
{
    struct stat status {};
    if (stat(path, &status) != 0) {
        return PathKind::Missing;
    }
    return S_ISREG(status.st_mode) ? PathKind::Regular : PathKind::Other;
}

OpenedFile openDataFile(const char* path)
{
    OpenedFile opened;
    // Without blocking, in case a pipe stands at the name.
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        opened.error = errno;
        return opened;
    }
    opened.file.reset(fdopen(descriptor, "rb"));
    if (opened.file == nullptr) {
        opened.error = errno;
        close(descriptor);
        return opened;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        return opened;
    }
    opened.regular = true;
    opened.identity = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
        static_cast<std::uint64_t>(status.st_size),
        static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 1000000000u + static_cast<std::uint64_t>(status.st_mtim.tv_nsec)};
    return opened;
}
