#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Largest side of a picture: a framebuffer every OpenGL driver gives.
constexpr int largestImageSide = 4096;

// Frames a second of an animation: the default and the most.
constexpr int defaultFrameRate = 10;
constexpr int largestFrameRate = 60;

// Exit status for a run that cannot start: bad options, no OpenGL context, an
// output that cannot be written.
constexpr int exitCannotRun = 2;

// Exit status for a fault once the run is under way, such as a full disk.
constexpr int exitFailed = 1;

// What one run of the renderer is asked for.
struct RenderOptions {
    int build = 0;                      // 25, 50 or 100; 0 when not given
    std::vector<std::int32_t> ticks;    // rising
    int width = 640;
    int height = 480;
    std::string output;                 // a folder, or a file-name pattern holding {tick}; empty for no frames
    std::string animation;              // empty for no animation
    std::string format;                 // the animation's container: webm, mp4 or gif
    int rate = defaultFrameRate;        // the animation's frames a second
    std::string dataDir;                // the folder holding texture/, textures/, 3DModel/
    bool help = false;
};

// Reads the command line. The data folder starts as defaultDataDir. Frames
// go to the working folder unless only an animation is asked for. The
// animation's format comes from --format or the name's ending. On a fault
// returns false and says why in error, in one line.
bool parseRenderOptions(int argc, char** argv, const std::string& defaultDataDir, RenderOptions& options,
                        std::string& error);

// The data folder of an installed copy, found from the running program's own
// place (installedFromProgram is the path from its folder); when it is not
// there, as in the build tree, buildDataDir.
std::string defaultDataDir(const std::string& installedFromProgram, const std::string& buildDataDir);

// The --help text.
std::string renderUsage(const std::string& defaultDataDir);

// Says why a run ends, in one line on standard error, and gives back its exit status.
int failRender(const std::string& message, int status);

// What both renderer programs do first: read the options, print the usage for
// --help or the reason for bad options. Gives the exit status when the run
// ends here, nothing when it goes on.
std::optional<int> settleRenderOptions(int argc, char** argv, const std::string& defaultDataDir, RenderOptions& options);
