#include "output_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Read by all, as a file made with the usual umask would be.
constexpr mode_t outputMode = 0644;

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// What stands at the name when it is anything but a regular file, such as
// "a device"; empty when nothing or a regular file is there. A link is not
// followed: the rename would replace the link, not what it points to.
std::string otherThanAFile(const std::string& path)
{
    struct stat status = {};
    if (lstat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode)) {
        return {};
    }
    if (S_ISDIR(status.st_mode)) {
        return "a folder";
    }
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
        return "a device";
    }
    if (S_ISFIFO(status.st_mode)) {
        return "a FIFO";
    }
    if (S_ISSOCK(status.st_mode)) {
        return "a socket";
    }
    return S_ISLNK(status.st_mode) ? "a symbolic link" : "not a regular file";
}

std::string reason(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

// A hidden name beside the target, unique to this process and attempt.
std::string temporaryName(const std::string& path, int attempt)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".part";
}

}

// The bytes of a finished file are on disk since its fsync, so closing it
// can lose nothing.
OutputFile::~OutputFile()
{
    if (!temporary.empty()) {
        unlink(temporary.c_str());
    }
    if (descriptor >= 0) {
        close(descriptor);
    }
}

bool checkOutputName(const std::string& path, std::string& error)
{
    const std::string other = otherThanAFile(path);
    if (!other.empty()) {
        error = "cannot write " + path + ": it is " + other;
        return false;
    }
    return openOutput(path, error) != nullptr;
}

std::unique_ptr<OutputFile> openOutput(const std::string& path, std::string& error)
{
    auto file = std::make_unique<OutputFile>();
    file->path = path;
    file->descriptor = open(folderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, outputMode);
    if (file->descriptor >= 0) {
        return file;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR) {
        error = reason("cannot write to the output folder", folderOf(path));
        return nullptr;
    }
    // No unnamed files on this file system: a hidden temporary, removed if the run fails.
    std::string temporary = folderOf(path) + "/." + path.substr(path.rfind('/') + 1) + ".XXXXXX";
    file->descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (file->descriptor < 0) {
        error = reason("cannot write to the output folder", folderOf(path));
        return nullptr;
    }
    file->temporary = temporary;
    if (fchmod(file->descriptor, outputMode) != 0) {
        error = reason("cannot write to the output folder", folderOf(path));
        return nullptr;
    }
    return file;
}

bool writeOutput(OutputFile& file, const void* bytes, std::size_t size, std::string& error)
{
    const auto* next = static_cast<const unsigned char*>(bytes);
    while (size > 0) {
        const ssize_t written = write(file.descriptor, next, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error = reason("cannot write", file.path);
            return false;
        }
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool finishOutput(OutputFile& file, std::string& error)
{
    if (fsync(file.descriptor) != 0) {
        error = reason("cannot write", file.path);
        return false;
    }
    // An unnamed file gets a unique hidden name first, since a link never
    // replaces a file; the rename then replaces the target in one step.
    if (file.temporary.empty()) {
        const std::string self = "/proc/self/fd/" + std::to_string(file.descriptor);
        for (int attempt = 0; file.temporary.empty(); ++attempt) {
            const std::string name = temporaryName(file.path, attempt);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                file.temporary = name;
            } else if (errno != EEXIST) {
                error = reason("cannot name", file.path);
                return false;
            }
        }
    }
    // Whatever took the name during the run and is no file of ours stays.
    const std::string other = otherThanAFile(file.path);
    if (!other.empty()) {
        error = "cannot write " + file.path + ": it is " + other;
        return false;
    }
    if (rename(file.temporary.c_str(), file.path.c_str()) != 0) {
        error = reason("cannot name", file.path);
        return false;
    }
    file.temporary.clear();
    return true;
}
