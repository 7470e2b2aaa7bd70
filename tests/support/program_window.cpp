// Before Xlib's headers, whose macros (None, Bool) would clash with its names.
#include <gtest/gtest.h>

#include "support/program_window.h"

#include <filesystem>

#include "support/waiting.h"

const char* const poolTitle = "Pel Mora";

RunningProgram::RunningProgram(const Launch& launch, double seconds)
    : display(openDisplay(launch.display)), child(launch),
      window(display == nullptr ? 0 : waitForWindow(display.get(), child.pid(), poolTitle, seconds))
{
    EXPECT_NE(display, nullptr) << "cannot open the display " << launch.display;
}

Picture RunningProgram::waitForWater()
{
    Picture picture;
    waitUntil(
        [&] {
            picture = grabWindow(display.get(), window);
            return blueShare(picture) > waterShare || !running();
        },
        windowSeconds);
    return picture;
}

bool RunningProgram::keepsDrawing(double seconds)
{
    const Picture first = grabWindow(display.get(), window);
    bool changed = false;
    waitUntil(
        [&] {
            changed = differingPixels(first, grabWindow(display.get(), window), wholePicture(first)) > 0;
            return changed || !running();
        },
        seconds);
    return changed && running();
}

Picture RunningProgram::renderArea()
{
    const Window inside = renderAreaOf(display.get(), window);
    return inside == 0 ? Picture() : grabWindow(display.get(), inside);
}

bool RunningProgram::closeAndWait()
{
    requestClose(display.get(), window);
    return child.waitForExit(exitSeconds);
}

Launch onTestDisplay(const std::string& program, const std::string& folder)
{
    Launch launch;
    launch.arguments = {program};
    launch.directory = folder;
    launch.display = testDisplay();
    return launch;
}

void linkData(const std::string& data, const std::string& folder)
{
    namespace fs = std::filesystem;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(data)) {
        const fs::path inside = fs::path(folder) / fs::relative(entry.path(), data);
        if (entry.is_directory()) {
            fs::create_directories(inside);
        } else {
            fs::create_symlink(entry.path(), inside);
        }
    }
}
