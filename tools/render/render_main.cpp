// One build's renderer, pelmora-render-SIZE: the scene that build's program
// shows, advanced tick by tick with its own frame tick and pictured offscreen.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>
#include <unistd.h>

#include <Inventor/SbColor.h>
#include <Inventor/SbViewportRegion.h>
#include <Inventor/SoDB.h>
#include <Inventor/SoInteraction.h>
#include <Inventor/SoOffscreenRenderer.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodekits/SoNodeKit.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"
#include "app/scene_assembly.h"
#include "config/build_config.h"
#include "frame_files.h"
#include "gif_animation.h"
#include "offscreen_context.h"
#include "png_file.h"
#include "render_options.h"
#include "viewer_view.h"

namespace {

// A line of progress at least this often while the water runs between frames.
constexpr std::int32_t progressInterval = 10000;

// The viewer's background.
const SbColor black(0.0f, 0.0f, 0.0f);

}

int main(int argc, char** argv)
{
    RenderOptions options;
    const int settled = settleRenderOptions(argc, argv, PELMORA_RENDER_DATA_DIR, options);
    if (settled >= 0) {
        return settled;
    }
    if (options.build != 0 && options.build != gridSize) {
        return failRender("this program renders build " + std::to_string(gridSize) + ", not "
                              + std::to_string(options.build) + "; use pelmora-render",
                          exitCannotRun);
    }

    // The scene reads its files relative to the working directory, so the run
    // moves into the data folder, as the programs are run; the outputs keep
    // meaning what they meant where the run started.
    const std::string output = absolutePath(options.output);
    const std::string gif = options.gif.empty() ? "" : absolutePath(options.gif);
    if (!folderWritable(outputFolder(output))) {
        return failRender("cannot write to the output folder " + outputFolder(output), exitCannotRun);
    }
    if (chdir(options.dataDir.c_str()) != 0) {
        return failRender("cannot enter the data folder " + options.dataDir, exitCannotRun);
    }

    // Coin is started only once a context is sure: without one its GLX code can crash.
    std::string error;
    if (!startOffscreenContexts(error)) {
        return failRender(error, exitCannotRun);
    }
    SoDB::init();
    SoNodeKit::init();
    SoInteraction::init();
    // Coin caches a separator that stays unchanged over frames in a display
    // list, which draws some pixels one level apart from a fresh traversal:
    // without caches a picture depends on its tick alone, not on earlier frames.
    SoSeparator::setNumRenderCaches(0);

    const SbViewportRegion viewport(static_cast<short>(options.width), static_cast<short>(options.height));
    SoSeparator* root = buildViewerView(assembleScene(), viewport);
    root->ref();
    SoOffscreenRenderer renderer(viewport);
    renderer.setComponents(SoOffscreenRenderer::RGB);
    renderer.setBackgroundColor(black);
    renderer.getGLRenderAction()->setTransparencyType(SoGLRenderAction::SORTED_OBJECT_BLEND);

    // The tick reschedules its sensor; here nothing ever processes it.
    SoIdleSensor sensor;
    sensor.setFunction(frameTick);
    std::int32_t tick = 0;
    std::vector<std::string> written;
    const std::int32_t lastTick = options.ticks.back();
    for (const std::int32_t wantedTick : options.ticks) {
        while (tick < wantedTick) {
            frameTick(nullptr, &sensor);
            sensor.unschedule();
            ++tick;
            if (tick % progressInterval == 0 && tick < wantedTick) {
                std::fprintf(stderr, "pelmora-render: tick %d of %d\n", static_cast<int>(tick),
                             static_cast<int>(lastTick));
            }
        }
        const std::string path = framePath(output, gridSize, tick);
        if (!renderer.render(root) || xRequestRefused()) {
            return failRender("no OpenGL context: rendering tick " + std::to_string(tick) + " failed", exitCannotRun);
        }
        if (!writePng(path, options.width, options.height, renderer.getBuffer())) {
            return failRender("cannot write " + path, exitCannotRun);
        }
        written.push_back(path);
        std::fprintf(stderr, "pelmora-render: tick %d: wrote %s (%d of %d)\n", static_cast<int>(tick), path.c_str(),
                     static_cast<int>(written.size()), static_cast<int>(options.ticks.size()));
    }
    root->unref();

    if (!gif.empty()) {
        if (!writeGifAnimation(written, gif, error)) {
            return failRender(error, exitFailed);
        }
        std::fprintf(stderr, "pelmora-render: wrote %s\n", gif.c_str());
    }
    return 0;
}
