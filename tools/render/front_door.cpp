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
    const int settled = settleRenderOptions(argc, argv, PELMORA_RENDER_DATA_DIR, options);
    if (settled >= 0) {
        return settled;
    }
    if (options.build == 0) {
        return failRender("choose a build with --build=25, 50 or 100 (see --help)", exitCannotRun);
    }
    const std::string renderer = ownFolder() + "/pelmora-render-" + std::to_string(options.build);
    execv(renderer.c_str(), argv);
    return failRender("cannot run " + renderer + ": " + std::strerror(errno), exitFailed);
}
