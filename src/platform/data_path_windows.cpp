#include "platform/data_path.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

namespace {

// Opens what stands at the path without waiting on it, folders too, with
// the access asked for (none: only to look at it).
HANDLE openHandle(const char* path, DWORD access)
{
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A file on a disk that is no folder is a regular file; its identity with it.
bool regularFile(HANDLE handle, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION information {};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &information)
        || (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    const auto join = [](DWORD high, DWORD low) { return std::uint64_t(high) << 32 | low; };
    identity = {information.dwVolumeSerialNumber, join(information.nFileIndexHigh, information.nFileIndexLow),
        join(information.nFileSizeHigh, information.nFileSizeLow),
        join(information.ftLastWriteTime.dwHighDateTime, information.ftLastWriteTime.dwLowDateTime)};
    return true;
}

int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    default: return EIO;
    }
}

}

PathKind pathKind(const char* path)
{
    const HANDLE handle = openHandle(path, 0);
    if (handle == INVALID_HANDLE_VALUE) {
        return PathKind::Missing;
    }
    FileIdentity identity;
    const bool regular = regularFile(handle, identity);
    CloseHandle(handle);
    return regular ? PathKind::Regular : PathKind::Other;
}

OpenedFile openDataFile(const char* path)
{
    OpenedFile opened;
    const HANDLE handle = openHandle(path, GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE) {
        opened.error = errnoOf(GetLastError());
        return opened;
    }
    opened.regular = regularFile(handle, opened.identity);
    // From here the C runtime owns the handle, and the stream owns the runtime's descriptor.
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (descriptor < 0) {
        opened.error = EMFILE;
        CloseHandle(handle);
        return opened;
    }
    opened.file.reset(_fdopen(descriptor, "rb"));
    if (opened.file == nullptr) {
        opened.error = errno;
        _close(descriptor);
    }
    return opened;
}
