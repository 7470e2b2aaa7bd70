// pelmora-render: checks the options, then hands the whole command line to the
// renderer of the chosen build, pelmora-render-SIZE, found beside this program.
// The grid size is fixed when a build is compiled, so each build has its own.

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "render_options.h"

namespace {

int fail(const std::string& message, int status)
{
    std::fprintf(stderr, "pelmora-render: %s\n", message.c_str());
    return status;
}

// The folder this program was started from, wherever it was called from.
std::string ownFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return ".";
    }
    const std::string self(path, static_cast<std::size_t>(length));
    return self.substr(0, self.rfind('/'));
}

}

int main(int argc, char** argv)
{
    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(argc, argv, PELMORA_RENDER_DATA_DIR, options, error)) {
        return fail(error + " (see --help)", exitCannotRun);
    }
    if (options.help) {
        std::fputs(renderUsage(PELMORA_RENDER_DATA_DIR).c_str(), stdout);
        return 0;
    }
    if (options.build == 0) {
        return fail("choose a build with --build=25, 50 or 100 (see --help)", exitCannotRun);
    }
    const std::string renderer = ownFolder() + "/pelmora-render-" + std::to_string(options.build);
    execv(renderer.c_str(), argv);
    return fail("cannot run " + renderer + ": " + std::strerror(errno), exitFailed);
}
