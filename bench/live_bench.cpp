#include <cstdio>
#include <cstdlib>

#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/sensors/SoAlarmSensor.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "frame_clock.h"

#include "app/frame_tick.h"
#include "app/start_up.h"
#include "config/build_config.h"
#include "sim/height_field.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"

// The live program's own start-up and frame tick in a real window, run for a
// fixed time, with clocks added after start-up: around the tick, and from the
// start of each frame's traversal to the next tick, which comes once the
// frame is drawn and handed to the X server. Afterwards the same window and
// scene time each part alone, to split the tick and the frame into their
// pieces. Usage, under an X server, from the data folder: pelmora-live-N
// [seconds]. Start-up is reported from main() and from the moment the process
// was started, as the kernel recorded it. With 0 seconds the run ends at the
// first frame drawn and reports start-up alone.
namespace {

constexpr double defaultSeconds = 10.0;

// Calls of each piece when the pieces are timed alone.
constexpr int calibrationCalls = 200;

long ticks = 0;
bool stopAtFirstFrame = false;
double tickSeconds = 0.0;

void timedTick(void* data, SoSensor* sensor)
{
    const Clock::time_point start = Clock::now();
    endFrame(start);
    if (stopAtFirstFrame && frameCounts.frames > 0) {
        endMainLoop();
        return;
    }
    frameTick(data, sensor);
    tickSeconds += secondsBetween(start, Clock::now());
    ++ticks;
}

void endRun(void*, SoSensor*)
{
    endMainLoop();
}

// Microseconds per call of a piece, over calibrationCalls calls.
template <typename Piece>
double microsecondsPerCall(Piece piece)
{
    const Clock::time_point start = Clock::now();
    for (int n = 0; n < calibrationCalls; ++n) {
        piece();
    }
    return secondsBetween(start, Clock::now()) * 1.0e6 / calibrationCalls;
}

double percentOf(double part, double whole)
{
    return 100.0 * part / whole;
}

}

int main(int argc, char** argv)
{
    const Clock::time_point mainStart = Clock::now();
    const double seconds = argc > 1 ? std::atof(argv[1]) : defaultSeconds;
    const StartedPool pool = startUp(argc, argv);
    if (pool.mainWindow == nullptr) {
        std::fprintf(stderr, "no display to open a window on\n");
        return 1;
    }
    const Clock::time_point viewerReady = Clock::now();
    ExaminerViewer* viewer = pool.viewer;
    viewer->getGLRenderAction()->addPreRenderCallback(frameStarts, nullptr);
    pool.idle->setFunction(timedTick);

    stopAtFirstFrame = seconds <= 0.0;
    SoAlarmSensor stop(endRun, nullptr);
    if (!stopAtFirstFrame) {
        stop.setTimeFromNow(SbTime(seconds));
        stop.schedule();
    }
    const Clock::time_point loopStart = Clock::now();
    runMainLoop();
    const double wall = secondsBetween(loopStart, Clock::now());
    pool.idle->unschedule();
    endFrame(Clock::now());
    // The pieces' own frames below count apart from the run's.
    const FrameCounts run = frameCounts;
    viewer->getGLRenderAction()->removePreRenderCallback(frameStarts, nullptr);
    if (stopAtFirstFrame) {
        std::printf("pelmora-live-%d: start-up, milliseconds from main(), %s\n", gridSize, run.renderer.c_str());
        printStartUp(mainStart, viewerReady, run.firstFrameDrawn);
        return 0;
    }

    // The pieces alone, in the same window with the same scene.
    auto* coordinates = static_cast<SoCoordinate3*>(waterKit->getPart("coordinate3", FALSE));
    const double stepUs = microsecondsPerCall([] { stepSimulation(); });
    const double causticUs = microsecondsPerCall([] { updateCausticTexture(); });
    const double meshUs = microsecondsPerCall([] { updateSurfaceCoordinates(); });
    const double imageNoticeUs = microsecondsPerCall([] { causticTexture->image.touch(); });
    const double pointNoticeUs = microsecondsPerCall([coordinates] { coordinates->point.touch(); });
    const double frameUs = microsecondsPerCall([viewer] { viewer->render(); });
    const double frameNewMeshUs = microsecondsPerCall([viewer, coordinates] {
        coordinates->point.touch();
        viewer->render();
    });
    const double frameNewImageUs = microsecondsPerCall([viewer] {
        causticTexture->image.touch();
        viewer->render();
    });

    const long refreshes = ticks / refreshInterval;
    const double stepShare = ticks * stepUs * 1.0e-6;
    const double causticShare = refreshes * (causticUs - imageNoticeUs) * 1.0e-6;
    const double meshShare = refreshes * (meshUs - pointNoticeUs) * 1.0e-6;
    const double noticeShare = refreshes * (imageNoticeUs + pointNoticeUs) * 1.0e-6;
    const SbVec2s size = viewer->getSize();

    std::printf("pelmora-live-%d: %.1f s in a %d x %d window, %s\n", gridSize, wall, size[0], size[1],
        run.renderer.c_str());
    std::printf("  ticks per second                 %10.1f\n", ticks / wall);
    std::printf("  frames drawn per second          %10.1f\n", run.frames / wall);
    std::printf("  share of the time\n");
    std::printf("    in the tick                    %9.1f %%\n", percentOf(tickSeconds, wall));
    std::printf("      step (estimated)             %9.1f %%\n", percentOf(stepShare, wall));
    std::printf("      caustic (estimated)          %9.1f %%\n", percentOf(causticShare, wall));
    std::printf("      mesh refresh (estimated)     %9.1f %%\n", percentOf(meshShare, wall));
    std::printf("      notification (estimated)     %9.1f %%\n", percentOf(noticeShare, wall));
    std::printf("    drawing frames, to the next tick %7.1f %%\n", percentOf(run.frameSeconds, wall));
    std::printf("    elsewhere (event loop, X)      %9.1f %%\n",
        percentOf(wall - tickSeconds - run.frameSeconds, wall));
    std::printf("  pieces alone, microseconds per call\n");
    std::printf("    step                           %10.1f\n", stepUs);
    std::printf("    caustic update with its notice %10.1f\n", causticUs);
    std::printf("    mesh refresh with its notice   %10.1f\n", meshUs);
    std::printf("    notice of the caustic image    %10.1f\n", imageNoticeUs);
    std::printf("    notice of the mesh points      %10.1f\n", pointNoticeUs);
    std::printf("    frame, nothing changed         %10.1f\n", frameUs);
    std::printf("    frame after the mesh changed   %10.1f\n", frameNewMeshUs);
    std::printf("    frame after the image changed  %10.1f\n", frameNewImageUs);
    std::printf("  start-up, milliseconds from main()\n");
    printStartUp(mainStart, viewerReady, run.firstFrameDrawn);
    return 0;
}
