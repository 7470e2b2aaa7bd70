#include "render_options.h"

#include <cstdio>
#include <filesystem>
#include <getopt.h>
#include <unistd.h>

#include "animation_formats.h"
#include "frame_files.h"
#include "platform/process.h"
#include "tick_list.h"

namespace {

const char* const defaultTicks = "300";

// A whole number written in digits only, 1 ... largest.
bool parseCount(const std::string& text, int largest, int& count)
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
    if (value < 1 || value > largest) {
        return false;
    }
    count = value;
    return true;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const std::size_t cross = text.find('x');
    if (cross == std::string::npos) {
        return false;
    }
    return parseCount(text.substr(0, cross), largestImageSide, width)
        && parseCount(text.substr(cross + 1), largestImageSide, height);
}

bool knownFormat(const std::string& name)
{
    for (const char* format : animationFormats) {
        if (name == format) {
            return true;
        }
    }
    return false;
}

// The format a file name's ending names (.webm, .mp4, .gif, in any case); empty for any other.
std::string formatOfEnding(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) {
        return "";
    }
    std::string ending = path.substr(dot + 1);
    for (char& c : ending) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return knownFormat(ending) ? ending : "";
}

// What the options mean together, once each one has been read.
bool settleAnimation(RenderOptions& options, std::string& error)
{
    if (options.animation.empty()) {
        if (!options.format.empty()) {
            error = "--format needs --animation";
            return false;
        }
        if (options.output.empty()) {
            options.output = ".";
        }
        return true;
    }
    if (options.format.empty()) {
        options.format = formatOfEnding(options.animation);
        if (options.format.empty()) {
            error = "cannot tell the format of '" + options.animation
                    + "': end its name in .webm, .mp4 or .gif, or give --format";
            return false;
        }
    }
    if (options.format == "mp4" && (options.width % 2 != 0 || options.height % 2 != 0)) {
        error = "an MP4 needs an even width and height, not " + std::to_string(options.width) + "x"
                + std::to_string(options.height);
        return false;
    }
    return true;
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
        {"animation", required_argument, nullptr, 'a'},
        {"format", required_argument, nullptr, 'f'},
        {"rate", required_argument, nullptr, 'r'},
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
        const int option = getopt_long(argc, argv, ":b:t:s:o:a:f:r:d:h", longOptions, nullptr);
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
        case 'o': {
            if (value.empty()) {
                error = "the output folder or pattern is empty";
                return false;
            }
            const std::size_t slash = value.rfind('/');
            if (slash != std::string::npos && value.find(tickPlaceholder) < slash) {
                error = "the tick's place {tick} must be in the file name, not in its folder";
                return false;
            }
            options.output = value;
            break;
        }
        case 'a':
            if (value.empty()) {
                error = "the animation's file name is empty";
                return false;
            }
            options.animation = value;
            break;
        case 'f':
            if (!knownFormat(value)) {
                error = "unknown format '" + value + "': choose webm, mp4 or gif";
                return false;
            }
            options.format = value;
            break;
        case 'r':
            if (!parseCount(value, largestFrameRate, options.rate)) {
                error = "bad rate '" + value + "': give frames a second, 1 to " + std::to_string(largestFrameRate);
                return false;
            }
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
    return parseTickList(ticks, options.ticks, error) && settleAnimation(options, error);
}

std::string defaultDataDir(const std::string& installedFromProgram, const std::string& buildDataDir)
{
    const std::filesystem::path installed =
        (std::filesystem::path(programFolder()) / installedFromProgram).lexically_normal();
    std::error_code ignored;
    return std::filesystem::is_directory(installed, ignored) ? installed.string() : buildDataDir;
}

std::string renderUsage(const std::string& defaultDataDir)
{
    return "Usage: pelmora-render --build=SIZE [OPTION]...\n"
           "Runs one build of the pool without a window or X server and writes PNG\n"
           "pictures of it at the chosen ticks, seen as the examiner viewer first shows\n"
           "it, and if asked an animation of them.\n"
           "\n"
           "  -b, --build=SIZE     grid size of the build: 25, 50 or 100\n"
           "  -t, --ticks=LIST     ticks to picture: 0,100,300 or FIRST:LAST:STEP such as\n"
           "                       0:300:50, or both joined by commas; rising (default 300)\n"
           "  -s, --size=WxH       picture size in pixels, each side 1 to 4096 (default 640x480)\n"
           "  -o, --output=WHERE   an existing folder, written as\n"
           "                       pelmora-SIZE-tick-TTTTTT.png, or a file name holding\n"
           "                       {tick}, which becomes the tick in six digits (default .,\n"
           "                       or no pictures when only an animation is asked for)\n"
           "  -a, --animation=FILE also join the frames into one animation\n"
           "  -f, --format=FORMAT  its format: webm (VP9), mp4 (H.264) or gif (default:\n"
           "                       from the name's ending .webm, .mp4 or .gif)\n"
           "  -r, --rate=FPS       its frames a second, 1 to 60 (default 10)\n"
           "  -d, --data=DIR       folder with the scene's texture/, textures/ and 3DModel/\n"
           "                       (default " + defaultDataDir + ")\n"
           "  -h, --help           show this help and exit\n"
           "\n"
           "File names are taken as written; each file appears under its name only\n"
           "once complete.\n"
           "Exit status: 0 done, 2 bad options, no OpenGL context or an output that\n"
           "cannot be written, 1 a write failed during the run (such as a full disk).\n";
}

int failRender(const std::string& message, int status)
{
    std::fprintf(stderr, "pelmora-render: %s\n", message.c_str());
    return status;
}

std::optional<int> settleRenderOptions(int argc, char** argv, const std::string& defaultDataDir, RenderOptions& options)
{
    std::string error;
    if (!parseRenderOptions(argc, argv, defaultDataDir, options, error)) {
        return failRender(error + " (see --help)", exitCannotRun);
    }
    if (options.help) {
        std::fputs(renderUsage(defaultDataDir).c_str(), stdout);
        return 0;
    }
    return std::nullopt;
}
