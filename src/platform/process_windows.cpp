#include "platform/process.h"

#include <windows.h>

#include <io.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The program's own file as Windows names it, in UTF-8; empty when it cannot be asked.
std::string programFile()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string file(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), file.data(), bytes, nullptr, nullptr);
    return file;
}

// Windows takes either slash between folders.
std::size_t lastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

}

const char* programName()
{
    static const std::string name = [] {
        std::string file = programFile();
        file.erase(0, lastSeparator(file) + 1);
        // Windows names files without regard to case: PELMORA-25.EXE is the same program.
        std::string ending = file.substr(file.size() < 4 ? 0 : file.size() - 4);
        for (char& letter : ending) {
            letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
        }
        if (file.size() > 4 && ending == ".exe") {
            file.resize(file.size() - 4);
        }
        return file;
    }();
    return name.c_str();
}

const std::string& programFolder()
{
    static const std::string folder = [] {
        const std::string file = programFile();
        const std::size_t separator = lastSeparator(file);
        return separator == std::string::npos ? std::string(".") : file.substr(0, separator);
    }();
    return folder;
}

void setVariable(const char* name, const char* value, bool keep)
{
    if (keep && std::getenv(name) != nullptr) {
        return;
    }
    // The C runtime's copy, which getenv reads, and the process's own, which
    // the programs it starts inherit.
    _putenv_s(name, value);
    SetEnvironmentVariableA(name, value);
}

void reachCallersConsole()
{
    // A file or pipe given as standard error (2>file, a test's pipe) is used as it is.
    if (GetFileType(GetStdHandle(STD_ERROR_HANDLE)) != FILE_TYPE_UNKNOWN) {
        return;
    }
    // Started from Explorer or the Start menu: there is no console to write to.
    if (!AttachConsole(ATTACH_PARENT_PROCESS) || std::freopen("CONOUT$", "w", stderr) == nullptr) {
        return;
    }
    std::setvbuf(stderr, nullptr, _IONBF, 0);  // each line as it is written, as standard error always is
    // Lines written through Windows' own handle go there too.
    SetStdHandle(STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stderr))));
}
