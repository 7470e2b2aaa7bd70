#include "support/program_window.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

const char* const poolTitle = "Pel Mora";

Window renderAreaOf(Display* display, Window window)
{
    XWindowAttributes outer;
    if (!XGetWindowAttributes(display, window, &outer)) {
        return 0;
    }
    const std::vector<Window> inside = windowsBelow(display, window);
    Window best = 0;
    long bestArea = 0;
    for (Window candidate : inside) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, candidate, &attributes) || attributes.map_state != IsViewable) {
            continue;
        }
        const long area = static_cast<long>(attributes.width) * attributes.height;
        if (area > bestArea && area < static_cast<long>(outer.width) * outer.height) {
            best = candidate;
            bestArea = area;
        }
    }
    return best;
}

void ProgramWindowTest::SetUp()
{
    display = openTestDisplay();
    ASSERT_NE(display, nullptr) << "cannot open the test display " << testDisplay();
}

void ProgramWindowTest::TearDown()
{
    if (pid > 0) {
        stopChild(pid);
    }
    if (display != nullptr) {
        XCloseDisplay(display);
    }
}

bool ProgramWindowTest::start(const ChildSpec& launch, double seconds)
{
    pid = startChild(launch);
    window = waitForWindow(display, pid, poolTitle, seconds);
    return window != 0;
}

bool ProgramWindowTest::running()
{
    if (pid > 0 && waitpid(pid, &endStatus, WNOHANG) == pid) {
        pid = 0;
    }
    return pid > 0;
}

Picture ProgramWindowTest::waitForWater()
{
    Picture picture;
    waitUntil(
        [&] {
            picture = grabWindow(display, window);
            return blueShare(picture) > waterShare || !running();
        },
        windowSeconds);
    return picture;
}

bool ProgramWindowTest::keepsDrawing(double seconds)
{
    const Picture first = grabWindow(display, window);
    bool changed = false;
    waitUntil(
        [&] {
            changed = differingPixels(first, grabWindow(display, window), wholePicture(first)) > 0;
            return changed || !running();
        },
        seconds);
    return changed && running();
}

bool ProgramWindowTest::closeAndWait(int& status)
{
    requestClose(display, window);
    if (!waitForExit(pid, status, exitSeconds)) {
        return false;
    }
    pid = 0;
    return true;
}

std::string linkedDataFolder(const std::string& data, const std::string& name)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(::testing::TempDir()) / (name + "-" + std::to_string(getpid()));
    fs::remove_all(folder);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(data)) {
        const fs::path inside = folder / fs::relative(entry.path(), data);
        if (entry.is_directory()) {
            fs::create_directories(inside);
        } else {
            fs::create_symlink(entry.path(), inside);
        }
    }
    return folder.string();
}

ChildSpec onTestDisplay(const std::string& program, const std::string& folder)
{
    ChildSpec launch;
    launch.arguments = {program};
    launch.directory = folder;
    launch.display = testDisplay();
    return launch;
}
