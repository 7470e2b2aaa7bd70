// One build's renderer, pelmora-render-SIZE: the scene that build's program
// shows, advanced tick by tick with its own frame tick and pictured offscreen.

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
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

// Rows read back at a time for an animation alone: no whole RGB picture is
// held (48 MB at 4096 x 4096), only the encoder's own frame.
constexpr int bandRows = 64;

// Writes one frame's picture under its name, or nothing at all.
bool writeFrame(const std::string& path, int width, int height, const unsigned char* rgb, std::string& error)
{
    const std::unique_ptr<OutputFile> file = openOutput(path, error);
    return file != nullptr && writePng(*file, width, height, rgb, error) && finishOutput(*file, error);
}

// The names of the frames and of the animation, as seen from the working
// directory the run started in, each tried before any work. On a fault
// returns false and says why in error.
bool settleOutputNames(const RenderOptions& options, std::vector<std::string>& frames, std::string& animation,
                       std::string& error)
{
    if (!options.output.empty()) {
        const std::string output = absolutePath(options.output);
        for (const std::int32_t tick : options.ticks) {
            frames.push_back(framePath(output, gridSize, tick));
            if (!checkOutputName(frames.back(), error)) {
                return false;
            }
        }
    }
    animation = options.animation.empty() ? "" : absolutePath(options.animation);
    return animation.empty() || checkOutputName(animation, error);
}

// Hands the picture drawn last to the animation band by band, from the top down.
bool addPictureByBands(Animation& animation, int height, std::vector<unsigned char>& band, std::string& error)
{
    for (int top = 0; top < height; top += bandRows) {
        const int rows = std::min(bandRows, height - top);
        if (!readPictureRows(height - top - rows, rows, band)) {
            error = "no OpenGL context: reading the picture back failed";
            return false;
        }
        if (!addAnimationRows(animation, band.data(), top, rows, error)) {
            return false;
        }
    }
    return true;
}

// Advances the water from tick to the target with the program's own frame
// tick, saying how far it is now and then on a long way. The tick reschedules
// its sensor; here nothing ever processes it.
void tickUntil(std::int32_t target, std::int32_t last, SoIdleSensor& sensor, std::int32_t& tick)
{
    while (tick < target) {
        frameTick(nullptr, &sensor);
        sensor.unschedule();
        ++tick;
        if (tick % progressInterval == 0 && tick < target) {
            std::fprintf(stderr, "pelmora-render: tick %d of %d\n", static_cast<int>(tick), static_cast<int>(last));
        }
    }
}

}

int main(int argc, char** argv)
{
    // Past a size limit a write then fails with EFBIG, reported like a full
    // disk, instead of the signal ending the run.
    std::signal(SIGXFSZ, SIG_IGN);
    RenderOptions options;
    const std::string dataDir = defaultDataDir(PELMORA_RENDER_INSTALLED_DATA, PELMORA_RENDER_DATA_DIR);
    if (const std::optional<int> settled = settleRenderOptions(argc, argv, dataDir, options)) {
        return *settled;
    }
    if (options.build != 0 && options.build != gridSize) {
        return failRender("this program renders build " + std::to_string(gridSize) + ", not "
                              + std::to_string(options.build) + "; use pelmora-render",
                          exitCannotRun);
    }

    // The scene reads its files relative to the working directory, so the run
    // moves into the data folder, as the programs are run; the outputs keep
    // meaning what they meant where the run started.
    std::string error;
    std::vector<std::string> frames;
    std::string animationPath;
    if (!settleOutputNames(options, frames, animationPath, error)) {
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

    AnimationOwner animation;
    if (!animationPath.empty()) {
        animation = startAnimation(animationPath, options.format, options.width, options.height, options.rate, error);
        if (animation == nullptr) {
            return failRender(error, exitCannotRun);
        }
    }

    SoIdleSensor sensor(frameTick, nullptr);
    std::int32_t tick = 0;
    std::vector<unsigned char> rgb;
    const int frameCount = static_cast<int>(options.ticks.size());
    for (int frame = 0; frame < frameCount; ++frame) {
        tickUntil(options.ticks[frame], options.ticks.back(), sensor, tick);
        const bool drawn = frames.empty() ? drawPictureOnly(root) : drawPicture(root, rgb);
        if (!drawn) {
            return failRender("no OpenGL context: drawing tick " + std::to_string(tick) + " failed", exitFailed);
        }
        if (!frames.empty() && !writeFrame(frames[frame], options.width, options.height, rgb.data(), error)) {
            return failRender(error, exitFailed);
        }
        const bool added = animation == nullptr
            || (frames.empty() ? addPictureByBands(*animation, options.height, rgb, error)
                               : addAnimationFrame(*animation, rgb.data(), error));
        if (!added) {
            return failRender(error, exitFailed);
        }
        const std::string done = frames.empty() ? "pictured" : "wrote " + frames[frame];
        std::fprintf(stderr, "pelmora-render: tick %d: %s (%d of %d)\n", static_cast<int>(tick), done.c_str(),
                     frame + 1, frameCount);
    }
    root->unref();
    scene->unref();

    if (animation != nullptr) {
        if (!finishAnimation(*animation, error)) {
            return failRender(error, exitFailed);
        }
        std::fprintf(stderr, "pelmora-render: wrote %s\n", animationPath.c_str());
    }
    return 0;
}
