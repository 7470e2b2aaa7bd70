#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "support/program_window.h"
#include "support/waiting.h"

// The window on screens that Qt scales: the render area shows what it shows
// at scale 1, at the screen's full resolution, and the mouse turns the pool
// about the same point.

namespace {

constexpr double settleSeconds = 30.0;

// How long the render area keeps its size before its picture counts.
constexpr auto layoutSettles = std::chrono::milliseconds(500);

struct ScaleCase {
    const char* variable;
    const char* value;
    double factor;
};

void PrintTo(const ScaleCase& scale, std::ostream* out)
{
    *out << scale.variable << "=" << scale.value;
}

const ScaleCase scaleCases[] = {
    {"QT_SCALE_FACTOR", "1.5", 1.5},
    {"QT_SCALE_FACTOR", "2", 2.0},
    {"QT_SCREEN_SCALE_FACTORS", "1.5", 1.5},
    {"QT_SCREEN_SCALE_FACTORS", "2", 2.0},
};

// The menu is checked at scale 1 too, and at 3.
const ScaleCase menuCases[] = {
    {"", "", 1.0},
    {"QT_SCALE_FACTOR", "1.5", 1.5},
    {"QT_SCALE_FACTOR", "2", 2.0},
    {"QT_SCALE_FACTOR", "3", 3.0},
    {"QT_SCREEN_SCALE_FACTORS", "1.5", 1.5},
    {"QT_SCREEN_SCALE_FACTORS", "2", 2.0},
    {"QT_SCREEN_SCALE_FACTORS", "3", 3.0},
};

// A menu lies this near the pointer, in the toolkit's scaled pixels: it
// opens a pixel or two beside it.
constexpr double menuSlack = 4.0;

// The program on the display with Qt's scale variables cleared but for the
// one given (an empty name: none, scale 1).
Launch scaledProgram(const std::string& displayName, const std::string& variable, const std::string& value)
{
    Launch launch = onTestDisplay(PELMORA_PROGRAM, PELMORA_DATA_DIR);
    launch.display = displayName;
    launch.environment = {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR"};
    if (!variable.empty()) {
        launch.environment.push_back(variable + "=" + value);
    }
    return launch;
}

// Colour regions of the scene, told apart by hue alone.
enum class Region { Other, Water, Grey, Warm };

Region regionOf(const unsigned char* pixel)
{
    const int red = pixel[0];
    const int green = pixel[1];
    const int blue = pixel[2];
    if (blue >= 80 && blue >= red + 30) {
        return Region::Water;
    }
    if (red >= green + 25 && red >= blue + 40) {
        return Region::Warm;
    }
    const int brightest = std::max(red, std::max(green, blue));
    const int darkest = std::min(red, std::min(green, blue));
    if (brightest - darkest < 30 && brightest >= 60) {
        return Region::Grey;
    }
    return Region::Other;
}

// The picture scaled to the given size, each pixel the mean of the pixels
// whose centres fall inside it.
Picture scaledTo(const Picture& picture, int width, int height)
{
    Picture scaled;
    scaled.width = width;
    scaled.height = height;
    scaled.rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    std::vector<long> sums(scaled.rgb.size(), 0);
    std::vector<long> counts(static_cast<std::size_t>(width) * height, 0);
    for (int y = 0; y < picture.height; ++y) {
        const int row = std::min(height - 1, static_cast<int>((y + 0.5) * height / picture.height));
        for (int x = 0; x < picture.width; ++x) {
            const int column = std::min(width - 1, static_cast<int>((x + 0.5) * width / picture.width));
            const std::size_t target = static_cast<std::size_t>(row) * width + column;
            const std::size_t source = (static_cast<std::size_t>(y) * picture.width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                sums[target * 3 + c] += picture.rgb[source + c];
            }
            ++counts[target];
        }
    }
    for (std::size_t n = 0; n < counts.size(); ++n) {
        for (int c = 0; c < 3; ++c) {
            scaled.rgb[n * 3 + c] = static_cast<unsigned char>(counts[n] == 0 ? 0 : sums[n * 3 + c] / counts[n]);
        }
    }
    return scaled;
}

// Pixels of the region in both pictures over pixels of it in either.
double sharedRegion(const Picture& one, const Picture& other, Region region)
{
    long both = 0;
    long either = 0;
    for (std::size_t n = 0; n < one.rgb.size(); n += 3) {
        const bool inOne = regionOf(&one.rgb[n]) == region;
        const bool inOther = regionOf(&other.rgb[n]) == region;
        both += inOne && inOther;
        either += inOne || inOther;
    }
    return either == 0 ? 0.0 : static_cast<double>(both) / either;
}

// A colour region and how much of it two pictures of the same view share at
// least: pixels of it in both over pixels of it in either. The waves move
// between runs and scaling blurs edges, which costs small regions most; a pool
// drawn small in a corner, or turned about another point, shares far less.
struct NamedRegion {
    Region region;
    const char* name;
    double least;
};

const NamedRegion water = {Region::Water, "water blue", 0.9};

// What every build shows, and what only some have around the pool.
const std::vector<NamedRegion> regionsOfThisBuild = {
    water,
#ifdef PELMORA_WITH_BASIN
    {Region::Grey, "slab grey", 0.85},
#endif
#ifdef PELMORA_WITH_MODEL
    {Region::Warm, "warm urn and block", 0.7},
#endif
};

// One run of the program on a display: the test display, or for a test that
// moves the pointer, one of its own, where no other test's window can be
// under it.
class ScaledWindow : public RunningProgram {
public:
    ScaledWindow(const std::string& displayName, const std::string& variable, const std::string& value)
        : RunningProgram(scaledProgram(displayName, variable, value)), name(displayName)
    {
    }

    // The render area's picture once the water shows and its size has held
    // for a while, or the last one tried.
    Picture settledArea()
    {
        Picture last;
        auto sized = std::chrono::steady_clock::now();
        waitUntil(
            [&] {
                const Picture picture = renderArea();
                const auto now = std::chrono::steady_clock::now();
                if (picture.width != last.width || picture.height != last.height) {
                    sized = now;
                }
                last = picture;
                // Frames drawn before the last resize was handled show the old layout.
                return window == 0 || (now - sized >= layoutSettles && blueShare(picture) > waterShare);
            },
            settleSeconds);
        return last;
    }

    // Presses the left button at one point of the render area, moves to
    // another in steps and lets go after a rest, so that the pool does not
    // keep spinning. Points are fractions of the area's width and height.
    void drag(double fromX, double fromY, double toX, double toY)
    {
        const Window area = renderAreaOf(display.get(), window);
        XWindowAttributes attributes;
        if (area == 0 || !XGetWindowAttributes(display.get(), area, &attributes)) {
            return;
        }
        const auto at = [&](double x, double y) {
            return " " + std::to_string(std::lround(x * attributes.width)) + " " +
                   std::to_string(std::lround(y * attributes.height));
        };
        std::string command = "DISPLAY=" + name + " xdotool mousemove --window " + std::to_string(area) +
                              at(fromX, fromY) + " mousedown 1";
        constexpr int steps = 10;
        for (int step = 1; step <= steps; ++step) {
            const double part = static_cast<double>(step) / steps;
            command += " mousemove --window " + std::to_string(area) +
                       at(fromX + (toX - fromX) * part, fromY + (toY - fromY) * part) + " sleep 0.05";
        }
        command += " sleep 0.5 mouseup 1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    // Clicks the right button at one point of the render area, given in
    // fractions of its width and height, and gives where the pointer is on the screen.
    void rightClick(double x, double y, int& pointerX, int& pointerY)
    {
        const Window area = renderAreaOf(display.get(), window);
        XWindowAttributes attributes;
        ASSERT_TRUE(area != 0 && XGetWindowAttributes(display.get(), area, &attributes)) << "no render area";
        const std::string command = "DISPLAY=" + name + " xdotool mousemove --window " + std::to_string(area) + " "
            + std::to_string(std::lround(x * attributes.width)) + " " + std::to_string(std::lround(y * attributes.height))
            + " click 3";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        Window root = 0;
        Window under = 0;
        int inX = 0;
        int inY = 0;
        unsigned int buttons = 0;
        XQueryPointer(display.get(), DefaultRootWindow(display.get()), &root, &under, &pointerX, &pointerY, &inX, &inY, &buttons);
    }

    const std::string name;
};

// Whether the scaled picture, brought back to the size of scale 1, shares every region as it should.
bool sameRegions(const Picture& expected, const Picture& scaled, const std::vector<NamedRegion>& regions)
{
    if (expected.width == 0 || scaled.width == 0) {
        return false;
    }
    const Picture back = scaledTo(scaled, expected.width, expected.height);
    for (const NamedRegion& named : regions) {
        if (sharedRegion(expected, back, named.region) < named.least) {
            return false;
        }
    }
    return true;
}

// The picture at scale 1, taken once per test process. On a busy machine a
// frame of an earlier layout may still be on show once the area's size has
// held: the framing counts when a later picture shows it again.
const Picture& pictureAtScaleOne()
{
    static const Picture picture = [] {
        ScaledWindow run(testDisplay(), "", "");
        Picture framing = run.settledArea();
        waitUntil(
            [&] {
                const Picture later = run.renderArea();
                const bool held = sameRegions(framing, later, regionsOfThisBuild);
                framing = held ? framing : later;
                return held;
            },
            settleSeconds);
        return framing;
    }();
    return picture;
}

void expectSameRegions(const Picture& expected, const Picture& scaled, double factor,
    const std::vector<NamedRegion>& regions)
{
    ASSERT_GT(expected.width, 0) << "no render area at scale 1";
    ASSERT_GT(scaled.width, 0) << "no render area at scale " << factor;
    // Full resolution: the area is the factor times as many device pixels.
    EXPECT_NEAR(scaled.width, expected.width * factor, 2.0) << "height " << scaled.height;
    EXPECT_NEAR(scaled.height, expected.height * factor, 2.0) << "width " << scaled.width;
    const Picture back = scaledTo(scaled, expected.width, expected.height);
    for (const NamedRegion& named : regions) {
        EXPECT_GE(sharedRegion(expected, back, named.region), named.least)
            << named.name << " at scale " << factor << ", expected the region of scale 1";
    }
    if (::testing::Test::HasFailure()) {
        // Kept for a person to look at, in the build folder rather than among temporary files.
        const std::string saved = std::string(PELMORA_BUILD_DIR) + "/pelmora-scale-" + std::to_string(getpid());
        writePicture(saved + "-1.ppm", expected);
        writePicture(saved + "-scaled.ppm", scaled);
        ADD_FAILURE() << "the pictures compared are in " << saved << "-1.ppm and -scaled.ppm";
    }
}

class ScaledScreen : public ::testing::TestWithParam<ScaleCase> {};

// The menu's tests use a display of their own, since they move the pointer.
class PopupMenu : public ScaledScreen {};

std::string caseName(const ::testing::TestParamInfo<ScaleCase>& info)
{
    if (info.param.variable[0] == '\0') {
        return "Unscaled";
    }
    std::string name = std::string(info.param.variable) + "_" + info.param.value;
    for (char& c : name) {
        if (c == '.') {
            c = '_';
        }
    }
    return name;
}

}

TEST_P(ScaledScreen, RenderAreaShowsTheFramingOfScaleOneAtFullResolution)
{
    const Picture& expected = pictureAtScaleOne();
    ScaledWindow run(testDisplay(), GetParam().variable, GetParam().value);
    ASSERT_NE(run.window, 0u) << "no window titled \"" << poolTitle << "\"";
    // A slow software GL may still show a frame drawn before the last resize
    // was handled; the area must come to the framing of scale 1.
    Picture scaled = run.settledArea();
    waitUntil(
        [&] {
            scaled = run.renderArea();
            return sameRegions(expected, scaled, regionsOfThisBuild);
        },
        settleSeconds);
    expectSameRegions(expected, scaled, GetParam().factor, regionsOfThisBuild);
}

TEST_P(ScaledScreen, DragTurnsThePoolAsAtScaleOne)
{
    // The same drag, in fractions of the area, at scale 1 and scaled: if mouse
    // positions and the viewport disagree, the pool turns about another point.
    constexpr double fromX = 0.5;
    constexpr double fromY = 0.5;
    constexpr double toX = 0.62;
    constexpr double toY = 0.38;
    const VirtualDisplay own;
    ASSERT_FALSE(own.name.empty()) << "Xvfb did not start";
    Picture expected;
    {
        ScaledWindow run(own.name, "", "");
        ASSERT_NE(run.window, 0u) << "no window at scale 1";
        const Picture before = run.settledArea();
        run.drag(fromX, fromY, toX, toY);
        expected = run.settledArea();
        ASSERT_EQ(before.rgb.size(), expected.rgb.size());
        ASSERT_LT(sharedRegion(before, expected, water.region), water.least) << "the drag did not turn the pool";
    }
    ScaledWindow run(own.name, GetParam().variable, GetParam().value);
    ASSERT_NE(run.window, 0u) << "no window titled \"" << poolTitle << "\"";
    run.settledArea();
    run.drag(fromX, fromY, toX, toY);
    // The water alone: the small regions' edges depend too much on the path
    // of the drag as the events arrive.
    expectSameRegions(expected, run.settledArea(), GetParam().factor, {water});
}

INSTANTIATE_TEST_SUITE_P(Factors, ScaledScreen, ::testing::ValuesIn(scaleCases), caseName);

TEST_P(PopupMenu, OpensAtThePointer)
{
    const VirtualDisplay own;
    ASSERT_FALSE(own.name.empty()) << "Xvfb did not start";
    ScaledWindow run(own.name, GetParam().variable, GetParam().value);
    ASSERT_NE(run.window, 0u) << "no window titled \"" << poolTitle << "\"";
    run.settledArea();
    int pointerX = 0;
    int pointerY = 0;
    run.rightClick(0.7, 0.6, pointerX, pointerY);
    Window menu = 0;
    ASSERT_TRUE(waitUntil([&] { return (menu = openMenu(run.display.get())) != 0; }, settleSeconds)) << "no menu opened";
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(run.display.get(), menu, &attributes));
    EXPECT_NEAR(attributes.x, pointerX, menuSlack * GetParam().factor) << "menu at " << attributes.x << "," << attributes.y
        << ", pointer at " << pointerX << "," << pointerY;
    EXPECT_NEAR(attributes.y, pointerY, menuSlack * GetParam().factor) << "menu at " << attributes.x << "," << attributes.y
        << ", pointer at " << pointerX << "," << pointerY;
}

INSTANTIATE_TEST_SUITE_P(Factors, PopupMenu, ::testing::ValuesIn(menuCases), caseName);
