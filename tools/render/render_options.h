#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Largest side of a picture: what one offscreen drawable gives without tiling.
constexpr int largestImageSide = 4096;

// Exit status for a run that cannot start: bad options, no OpenGL, an output
// that cannot be written.
constexpr int exitCannotRun = 2;

// Exit status for a fault once the run is under way (the animation failed).
constexpr int exitFailed = 1;

// What one run of the renderer is asked for.
struct RenderOptions {
    int build = 0;                      // 25, 50 or 100; 0 when not given
    std::vector<std::int32_t> ticks;    // rising
    int width = 640;
    int height = 480;
    std::string output = ".";           // a folder, or a file-name pattern holding {tick}
    std::string gif;                    // empty for no animation
    std::string dataDir;                // the folder holding texture/, textures/, 3DModel/
    bool help = false;
};

// Reads the command line. The data folder starts as defaultDataDir. On a fault
// returns false and says why in error, in one line.
bool parseRenderOptions(int argc, char** argv, const std::string& defaultDataDir, RenderOptions& options,
                        std::string& error);

// The --help text.
std::string renderUsage(const std::string& defaultDataDir);

// Says why a run ends, in one line on standard error, and gives back its exit status.
int failRender(const std::string& message, int status);

// What both renderer programs do first: read the options, print the usage for
// --help or the reason for bad options. Returns -1 to go on, else the exit status.
int settleRenderOptions(int argc, char** argv, const std::string& defaultDataDir, RenderOptions& options);
