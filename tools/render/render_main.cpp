// One build's renderer, pelmora-render-SIZE: the scene that build's program
// shows, advanced tick by tick with its own frame tick and pictured offscreen.

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>
#include <unistd.h>

#include <Inventor/SbViewportRegion.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "animation.h"
#include "app/frame_tick.h"
#include "app/headless_run.h"
#include "config/build_config.h"
#include "frame_files.h"
#include "offscreen_picture.h"
#include "output_file.h"
#include "png_file.h"
#include "render_options.h"
#include "viewer_view.h"

namespace {

// A line of progress at least this often while the water runs between frames.
constexpr std::int32_t progressInterval = 10000;

// Writes one frame's picture under its name, or nothing at all.
bool writeFrame(const std::string& path, int width, int height, const unsigned char* rgb, std::string& error)
{
    OutputFile file;
    if (!openOutput(path, file, error)) {
        return false;
    }
    if (!writePng(file, width, height, rgb, error)) {
        dropOutput(file);
        return false;
    }
    return finishOutput(file, error);
}

}

int main(int argc, char** argv)
{
    // Past a size limit a write then fails with EFBIG, reported like a full
    // disk, instead of the signal ending the run.
    std::signal(SIGXFSZ, SIG_IGN);
    RenderOptions options;
    const std::string dataDir = defaultDataDir(PELMORA_RENDER_INSTALLED_DATA, PELMORA_RENDER_DATA_DIR);
    const int settled = settleRenderOptions(argc, argv, dataDir, options);
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
    // meaning what they meant where the run started. Every name is tried
    // before any work.
    std::string error;
    std::vector<std::string> frames;
    if (!options.output.empty()) {
        const std::string output = absolutePath(options.output);
        for (const std::int32_t tick : options.ticks) {
            frames.push_back(framePath(output, gridSize, tick));
            if (!checkOutputName(frames.back(), error)) {
                return failRender(error, exitCannotRun);
            }
        }
    }
    const std::string animationPath = options.animation.empty() ? "" : absolutePath(options.animation);
    if (!animationPath.empty() && !checkOutputName(animationPath, error)) {
        return failRender(error, exitCannotRun);
    }
    if (chdir(options.dataDir.c_str()) != 0) {
        return failRender("cannot enter the data folder " + options.dataDir, exitCannotRun);
    }

    SoSeparator* scene = startHeadlessRun();
    if (!startOffscreenPicture(options.width, options.height, error)) {
        return failRender(error, exitCannotRun);
    }
    // Coin caches a separator that stays unchanged over frames in a display
    // list, which draws some pixels one level apart from a fresh traversal:
    // without caches a picture depends on its tick alone, not on earlier frames.
    SoSeparator::setNumRenderCaches(0);
    const SbViewportRegion viewport(static_cast<short>(options.width), static_cast<short>(options.height));
    SoSeparator* root = buildViewerView(scene, viewport);
    root->ref();

    Animation animation;
    if (!animationPath.empty()
        && !startAnimation(animationPath, options.format, options.width, options.height, options.rate, animation,
                           error)) {
        dropAnimation(animation);
        return failRender(error, exitCannotRun);
    }

    // The tick reschedules its sensor; here nothing ever processes it.
    SoIdleSensor sensor;
    sensor.setFunction(frameTick);
    std::int32_t tick = 0;
    std::vector<unsigned char> rgb;
    const int frameCount = static_cast<int>(options.ticks.size());
    for (int frame = 0; frame < frameCount; ++frame) {
        while (tick < options.ticks[frame]) {
            frameTick(nullptr, &sensor);
            sensor.unschedule();
            ++tick;
            if (tick % progressInterval == 0 && tick < options.ticks[frame]) {
                std::fprintf(stderr, "pelmora-render: tick %d of %d\n", static_cast<int>(tick),
                             static_cast<int>(options.ticks.back()));
            }
        }
        if (!drawPicture(root, rgb)) {
            dropAnimation(animation);
            return failRender("no OpenGL context: drawing tick " + std::to_string(tick) + " failed", exitFailed);
        }
        if (!frames.empty() && !writeFrame(frames[frame], options.width, options.height, rgb.data(), error)) {
            dropAnimation(animation);
            return failRender(error, exitFailed);
        }
        if (!animationPath.empty() && !addAnimationFrame(animation, rgb.data(), error)) {
            dropAnimation(animation);
            return failRender(error, exitFailed);
        }
        const std::string done = frames.empty() ? "pictured" : "wrote " + frames[frame];
        std::fprintf(stderr, "pelmora-render: tick %d: %s (%d of %d)\n", static_cast<int>(tick), done.c_str(),
                     frame + 1, frameCount);
    }
    root->unref();
    scene->unref();

    if (!animationPath.empty()) {
        const bool finished = finishAnimation(animation, error);
        dropAnimation(animation);
        if (!finished) {
            return failRender(error, exitFailed);
        }
        std::fprintf(stderr, "pelmora-render: wrote %s\n", animationPath.c_str());
    }
    return 0;
}
