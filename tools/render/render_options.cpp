#include "render_options.h"

#include <cstdio>
#include <getopt.h>

#include "tick_list.h"

namespace {

const char* const defaultTicks = "300";

// One side of --size: digits only, 1 ... largestImageSide.
bool parseSide(const std::string& text, int& side)
{
    if (text.empty() || text.size() > 4) {
        return false;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > largestImageSide) {
        return false;
    }
    side = value;
    return true;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const std::size_t cross = text.find('x');
    if (cross == std::string::npos) {
        return false;
    }
    return parseSide(text.substr(0, cross), width) && parseSide(text.substr(cross + 1), height);
}

bool parseBuild(const std::string& text, int& build)
{
    if (text == "25" || text == "50" || text == "100") {
        build = std::stoi(text);
        return true;
    }
    return false;
}

}

bool parseRenderOptions(int argc, char** argv, const std::string& defaultDataDir, RenderOptions& options,
                        std::string& error)
{
    static const option longOptions[] = {
        {"build", required_argument, nullptr, 'b'},
        {"ticks", required_argument, nullptr, 't'},
        {"size", required_argument, nullptr, 's'},
        {"output", required_argument, nullptr, 'o'},
        {"gif", required_argument, nullptr, 'g'},
        {"data", required_argument, nullptr, 'd'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    options = RenderOptions();
    options.dataDir = defaultDataDir;
    std::string ticks = defaultTicks;
    // Our own messages instead of getopt's, and a fresh scan on every call.
    opterr = 0;
    optind = 0;
    while (true) {
        const int option = getopt_long(argc, argv, ":b:t:s:o:g:d:h", longOptions, nullptr);
        if (option == -1) {
            break;
        }
        const std::string value = optarg != nullptr ? optarg : "";
        switch (option) {
        case 'b':
            if (!parseBuild(value, options.build)) {
                error = "unknown build '" + value + "': choose 25, 50 or 100";
                return false;
            }
            break;
        case 't':
            ticks = value;
            break;
        case 's':
            if (!parseSize(value, options.width, options.height)) {
                error = "bad size '" + value + "': give WIDTHxHEIGHT, each 1 to " + std::to_string(largestImageSide);
                return false;
            }
            break;
        case 'o':
            if (value.empty()) {
                error = "the output folder or pattern is empty";
                return false;
            }
            options.output = value;
            break;
        case 'g':
            if (value.empty()) {
                error = "the animation's file name is empty";
                return false;
            }
            options.gif = value;
            break;
        case 'd':
            options.dataDir = value;
            break;
        case 'h':
            options.help = true;
            return true;
        case ':':
            error = std::string("option '") + argv[optind - 1] + "' needs a value";
            return false;
        default:
            error = std::string("unknown option '") + argv[optind - 1] + "'";
            return false;
        }
    }
    if (optind < argc) {
        error = std::string("unexpected argument '") + argv[optind] + "'";
        return false;
    }
    return parseTickList(ticks, options.ticks, error);
}

std::string renderUsage(const std::string& defaultDataDir)
{
    return "Usage: pelmora-render --build=SIZE [OPTION]...\n"
           "Runs one build of the pool without a window and writes PNG pictures of it\n"
           "at the chosen ticks, seen as the examiner viewer first shows it.\n"
           "\n"
           "  -b, --build=SIZE     grid size of the build: 25, 50 or 100\n"
           "  -t, --ticks=LIST     ticks to picture: 0,100,300 or FIRST:LAST:STEP such as\n"
           "                       0:300:50, or both joined by commas; rising (default 300)\n"
           "  -s, --size=WxH       picture size in pixels, each side 1 to 4096 (default 640x480)\n"
           "  -o, --output=WHERE   an existing folder, written as\n"
           "                       pelmora-SIZE-tick-TTTTTT.png, or a file name holding\n"
           "                       {tick}, which becomes the tick in six digits (default .)\n"
           "  -g, --gif=FILE       also join the frames into one animated GIF (needs\n"
           "                       ImageMagick's convert)\n"
           "  -d, --data=DIR       folder with the scene's texture/, textures/ and 3DModel/\n"
           "                       (default " + defaultDataDir + ")\n"
           "  -h, --help           show this help and exit\n"
           "\n"
           "Needs an X display with GLX (DISPLAY); under no display, run it in xvfb-run.\n"
           "Exit status: 0 done, 2 bad options, no OpenGL context or an output that\n"
           "cannot be written, 1 the animation failed.\n";
}

int failRender(const std::string& message, int status)
{
    std::fprintf(stderr, "pelmora-render: %s\n", message.c_str());
    return status;
}

int settleRenderOptions(int argc, char** argv, const std::string& defaultDataDir, RenderOptions& options)
{
    std::string error;
    if (!parseRenderOptions(argc, argv, defaultDataDir, options, error)) {
        return failRender(error + " (see --help)", exitCannotRun);
    }
    if (options.help) {
        std::fputs(renderUsage(defaultDataDir).c_str(), stdout);
        return 0;
    }
    return -1;
}
