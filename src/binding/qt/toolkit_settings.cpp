#include "binding/qt/toolkit_settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "app/library_switches.h"
#include "data_files/data_file.h"
#include "platform/process.h"

namespace {

// Largest window side, in device pixels, that the toolkit is let to open:
// more than any screen shows, and as much as the GL draws per side.
constexpr double largestWindowSide = 8192;

// Scale factors of real screens, with room to spare: desktops offer 100 % to
// 400 %, and a factor of 1000 takes gigabytes before the first frame.
constexpr double smallestScale = 0.5;
constexpr double largestScale = 5.0;

// The toolkit's options that name a file it reads, given as "-name file" or,
// where joined is set, also as "-name=file".
struct FileOption {
    const char* name;
    bool joined;
};
const FileOption fileOptions[] = {{"-stylesheet", true}, {"-qwindowicon", false}};

// What an accepted scale factor is, for the line that refuses another.
std::string scaleRange()
{
    char text[64];
    std::snprintf(text, sizeof text, "a finite scale factor from %g to %g", smallestScale, largestScale);
    return text;
}

void refuse(const std::string& what, const std::string& why)
{
    std::fprintf(stderr, "%s: %s: %s; refused\n", programName(), what.c_str(), why.c_str());
}

// An option's name with one dash, however many it was given with.
const char* singleDashed(const char* argument)
{
    return std::strncmp(argument, "--", 2) == 0 ? argument + 1 : argument;
}

// The value of the last "-name value" (or, when joined, "-name=value"); null when none.
const char* optionValue(int argc, char** argv, const char* name, bool joined)
{
    const char* value = nullptr;
    const std::size_t length = std::strlen(name);
    for (int n = 1; n < argc; ++n) {
        const char* argument = singleDashed(argv[n]);
        if (std::strcmp(argument, name) == 0 && n + 1 < argc) {
            value = argv[++n];
        } else if (joined && std::strncmp(argument, name, length) == 0 && argument[length] == '=') {
            value = argument + length + 1;
        }
    }
    return value;
}

// A scale factor as the toolkit reads it, or not a number when it is none.
double scaleOf(const std::string& text)
{
    char* end = nullptr;
    const double factor = std::strtod(text.c_str(), &end);
    return text.empty() || *end != '\0' ? NAN : factor;
}

bool scaleAccepted(double factor)
{
    return std::isfinite(factor) && factor >= smallestScale && factor <= largestScale;
}

// QT_SCALE_FACTOR and QT_SCREEN_SCALE_FACTORS, whose entries are factors or
// NAME=FACTOR, separated by semicolons. Gives the largest factor that a
// window may be drawn at, or nothing after saying which one is refused.
std::optional<double> largestAcceptedScale()
{
    double whole = 1.0;
    if (const char* text = std::getenv("QT_SCALE_FACTOR"); text != nullptr && text[0] != '\0') {
        whole = scaleOf(text);
        if (!scaleAccepted(whole)) {
            refuse(std::string("QT_SCALE_FACTOR=") + text, "not " + scaleRange());
            return std::nullopt;
        }
    }
    double screen = 1.0;
    if (const char* text = std::getenv("QT_SCREEN_SCALE_FACTORS"); text != nullptr) {
        const std::string list = text;
        for (std::size_t start = 0; start < list.size();) {
            const std::size_t end = std::min(list.find(';', start), list.size());
            const std::string entry = list.substr(start, end - start);
            const std::size_t equals = entry.find('=');
            const double factor = scaleOf(equals == std::string::npos ? entry : entry.substr(equals + 1));
            if (!entry.empty() && !scaleAccepted(factor)) {
                refuse("QT_SCREEN_SCALE_FACTORS=" + list, "'" + entry + "' is not " + scaleRange());
                return std::nullopt;
            }
            screen = entry.empty() ? screen : std::max(screen, factor);
            start = end + 1;
        }
    }
    return whole * screen;
}

// A window size given on the command line that is larger, at the scale it is
// drawn at, than the toolkit is let to open.
bool windowSizeRefused(const char* option, const char* value, double scale)
{
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    const int given = XParseGeometry(value, &x, &y, &width, &height);
    const bool wide = (given & WidthValue) != 0 && width * scale > largestWindowSide;
    const bool high = (given & HeightValue) != 0 && height * scale > largestWindowSide;
    if (!wide && !high) {
        return false;
    }
    refuse(std::string(option) + " " + value, "window larger than " + std::to_string(static_cast<int>(largestWindowSide))
        + " pixels per side" + (scale != 1.0 ? " at its scale" : ""));
    return true;
}

bool waylandSession()
{
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (session != nullptr && std::strcmp(session, "wayland") == 0) || (wayland != nullptr && wayland[0] != '\0');
}

}

bool toolkitSettingsRefused(int argc, char** argv)
{
    const std::optional<double> scale = largestAcceptedScale();
    if (!scale) {
        return true;
    }
    for (int n = 1; n + 1 < argc; ++n) {
        const char* name = singleDashed(argv[n]);
        if ((std::strcmp(name, "-geometry") == 0 || std::strcmp(name, "-qwindowgeometry") == 0)
            && windowSizeRefused(argv[n], argv[n + 1], *scale)) {
            return true;
        }
    }
    for (const FileOption& option : fileOptions) {
        const char* file = optionValue(argc, argv, option.name, option.joined);
        const std::string problem = file != nullptr ? notRegularFileReason(file) : std::string();
        if (!problem.empty()) {
            refuse(std::string(option.name) + " " + file, problem);
            return true;
        }
    }
    return false;
}

void drawThroughX()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool chosen = platform != nullptr && platform[0] != '\0';
    if (chosen ? std::strncmp(platform, "wayland", 7) == 0 : waylandSession()) {
        askQtForItsXPlatform();
    }
}

bool displayReachable(int argc, char** argv)
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && platform[0] != '\0' && std::strncmp(platform, "xcb", 3) != 0) {
        return true;
    }
    const char* named = optionValue(argc, argv, "-display", false);
    const char* name = named != nullptr ? named : std::getenv("DISPLAY");
    if (name != nullptr && name[0] != '\0') {
        if (Display* display = XOpenDisplay(name)) {
            XCloseDisplay(display);
            return true;
        }
    }
    if (named != nullptr) {
        std::fprintf(stderr, "%s: cannot open the X display '%s'; no window\n", programName(), named);
    } else if (waylandSession()) {
        std::fprintf(stderr, "%s: no X server answers: in a Wayland session the pool is drawn through XWayland, "
                             "and DISPLAY names none that runs; no window\n", programName());
    }
    return false;
}
