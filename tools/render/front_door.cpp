// pelmora-render: checks the options, then hands the whole command line to the
// renderer of the chosen build, pelmora-render-SIZE. The grid size is fixed
// when a build is compiled, so each build has its own. In the build tree the
// renderers sit beside this program; installed, in libexec/pelmora.

#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>

#include "platform/process.h"
#include "render_options.h"

int main(int argc, char** argv)
{
    RenderOptions options;
    const std::string dataDir = defaultDataDir(PELMORA_RENDER_INSTALLED_DATA, PELMORA_RENDER_DATA_DIR);
    if (const std::optional<int> settled = settleRenderOptions(argc, argv, dataDir, options)) {
        return *settled;
    }
    if (options.build == 0) {
        return failRender("choose a build with --build=25, 50 or 100 (see --help)", exitCannotRun);
    }
    const std::string name = "/pelmora-render-" + std::to_string(options.build);
    std::string renderer = programFolder() + name;
    if (access(renderer.c_str(), X_OK) != 0) {
        renderer = programFolder() + "/" + PELMORA_RENDER_INSTALLED_RENDERERS + name;
    }
    execv(renderer.c_str(), argv);
    return failRender("cannot run " + renderer + ": " + std::strerror(errno), exitCannotRun);
}
