// Before Xlib's headers, whose macros (None, Bool) would clash with its names.
#include <gtest/gtest.h>

#include "x_display.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>

extern char** environ;

namespace {

// How often a wait looks at its condition again.
constexpr auto pollInterval = std::chrono::milliseconds(50);

VirtualDisplay ownServer;

// Most of a child's standard error that a failed test prints: its end, where
// a crash or a sanitizer's report is.
constexpr std::size_t shownErrorBytes = 64 * 1024;

// A child started in the running test, and where its standard error goes.
struct StartedChild {
    pid_t pid;
    std::string program;
    std::string errorsPath;
    bool ownFile;   // made for it, and removed when the test ends
};
std::vector<StartedChild> startedChildren;

std::string errorsOf(const StartedChild& child)
{
    std::ifstream in(child.errorsPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// After a failed test, what each of its children wrote to standard error.
class ChildErrorsOnFailure : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        for (const StartedChild& child : startedChildren) {
            if (test.result()->Failed()) {
                const std::string errors = errorsOf(child);
                const std::size_t from = errors.size() > shownErrorBytes ? errors.size() - shownErrorBytes : 0;
                std::printf("--- standard error of %s (pid %d)%s ---\n%s", child.program.c_str(), static_cast<int>(child.pid),
                            from > 0 ? ", its end" : "", errors.c_str() + from);
                std::printf("%s--- end of %s (pid %d) ---\n", errors.empty() || errors.back() == '\n' ? "" : "\n",
                            child.program.c_str(), static_cast<int>(child.pid));
            }
            if (child.ownFile) {
                unlink(child.errorsPath.c_str());
            }
        }
        std::fflush(stdout);
        startedChildren.clear();
    }
};

const bool childErrorsShown = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ChildErrorsOnFailure);
    return true;
}();

void stopOwnServer()
{
    stopVirtualDisplay(ownServer);
}

// Windows come and go while a program starts; asking after one that just
// went is an answer, not a reason to end the test process.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

std::vector<char*> pointersTo(std::vector<std::string>& words)
{
    std::vector<char*> pointers;
    for (std::string& word : words) {
        pointers.push_back(word.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

bool namesVariable(const std::string& entry, const std::string& name)
{
    return entry.compare(0, name.size(), name) == 0 && entry.size() > name.size() && entry[name.size()] == '=';
}

// This process's environment with the launch's changes and its DISPLAY.
std::vector<std::string> childEnvironment(const ChildSpec& launch)
{
    std::vector<std::string> changes = launch.environment;
    changes.push_back(launch.display.empty() ? "DISPLAY" : "DISPLAY=" + launch.display);
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        bool replaced = false;
        for (const std::string& change : changes) {
            replaced = replaced || namesVariable(*entry, change.substr(0, change.find('=')));
        }
        if (!replaced) {
            result.emplace_back(*entry);
        }
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos) {
            result.push_back(change);
        }
    }
    return result;
}

std::string windowTitle(Display* display, Window window)
{
    const std::string title =
        windowProperty(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False), 256);
    if (!title.empty()) {
        return title;
    }
    char* name = nullptr;
    std::string plain;
    if (XFetchName(display, window, &name) && name != nullptr) {
        plain = name;
        XFree(name);
    }
    return plain;
}

pid_t windowPid(Display* display, Window window)
{
    const std::string bytes = windowProperty(display, window, "_NET_WM_PID", XA_CARDINAL, 1);
    long pid = -1;
    if (bytes.size() == sizeof pid) {
        std::memcpy(&pid, bytes.data(), sizeof pid);
    }
    return static_cast<pid_t>(pid);
}

}

std::string windowProperty(Display* display, Window window, const char* name, Atom type, long longest)
{
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string bytes;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, longest, False, type, &actualType,
                           &format, &count, &remaining, &data)
            == Success
        && data != nullptr) {
        // Xlib hands 32-bit items over as longs.
        const std::size_t itemBytes = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
        bytes.assign(reinterpret_cast<char*>(data), count * itemBytes);
        XFree(data);
    }
    return bytes;
}

VirtualDisplay startVirtualDisplay(const std::vector<std::string>& extraArguments)
{
    VirtualDisplay display;
    int ready[2];
    if (pipe(ready) != 0) {
        return display;
    }
    // Room for a window at twice its size, and no reset when the last client
    // goes, which would refuse the next test's connection for a moment.
    std::vector<std::string> words = {"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "1600x1200x24",
                                      "-nolisten", "tcp", "-noreset"};
    words.insert(words.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char*> arguments = pointersTo(words);

    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ready[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execvp("Xvfb", arguments.data());
        _exit(127);
    }
    close(ready[1]);
    if (child < 0) {
        close(ready[0]);
        return display;
    }
    // Xvfb writes its display number and a newline once it accepts
    // connections; if it dies first the pipe just closes.
    std::string number;
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(ready[0]);
    display.pid = child;
    if (!number.empty()) {
        display.name = ":" + number;
    }
    return display;
}

void stopVirtualDisplay(VirtualDisplay& display)
{
    if (display.pid > 0) {
        kill(display.pid, SIGTERM);
        waitpid(display.pid, nullptr, 0);
    }
    display.pid = -1;
}

const std::string& testDisplay()
{
    static std::string name;
    if (!name.empty()) {
        return name;
    }
    if (const char* file = std::getenv("PELMORA_TEST_DISPLAY_FILE")) {
        std::ifstream(file) >> name;
    }
    if (name.empty()) {
        ownServer = startVirtualDisplay();
        std::atexit(stopOwnServer);
        if (ownServer.name.empty()) {
            throw std::runtime_error("the virtual X server did not start");
        }
        name = ownServer.name;
    }
    return name;
}

Display* openTestDisplay()
{
    return openDisplay(testDisplay());
}

Display* openDisplay(const std::string& name)
{
    XSetErrorHandler(ignoreError);
    Display* display = XOpenDisplay(name.c_str());
    int event = 0;
    int error = 0;
    if (display != nullptr && XCompositeQueryExtension(display, &event, &error)) {
        XCompositeRedirectSubwindows(display, DefaultRootWindow(display), CompositeRedirectAutomatic);
        XSync(display, False);
    }
    return display;
}

pid_t startChild(const ChildSpec& launch)
{
    StartedChild child = {-1, launch.arguments.at(0), launch.errorsPath, launch.errorsPath.empty()};
    if (child.ownFile) {
        char path[] = "/tmp/pelmora-child-errors-XXXXXX";
        const int file = mkstemp(path);
        if (file < 0) {
            return -1;
        }
        close(file);
        child.errorsPath = path;
    }
    std::vector<std::string> words = launch.arguments;
    std::vector<std::string> environment = childEnvironment(launch);
    std::vector<char*> argv = pointersTo(words);
    std::vector<char*> envp = pointersTo(environment);
    const pid_t pid = fork();
    if (pid == 0) {
        // A test that crashes takes its programs with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (!launch.directory.empty() && chdir(launch.directory.c_str()) != 0) {
            _exit(126);
        }
        const int quiet = open("/dev/null", O_WRONLY);
        const int errors = open(child.errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int output = launch.outputWithErrors ? errors
                           : launch.outputPath.empty() ? quiet
                                                       : open(launch.outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(output, STDOUT_FILENO);
        dup2(errors, STDERR_FILENO);
        if (launch.fileSizeLimit > 0) {
            const rlimit limit = {launch.fileSizeLimit, launch.fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    child.pid = pid;
    startedChildren.push_back(child);
    return pid;
}

std::string childErrors(pid_t pid)
{
    for (const StartedChild& child : startedChildren) {
        if (child.pid == pid) {
            return errorsOf(child);
        }
    }
    return {};
}

bool waitForExit(pid_t pid, int& status, double seconds)
{
    return waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, seconds);
}

void stopChild(pid_t pid)
{
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

ProgramRun runProgram(ChildSpec launch, bool outputWithErrors)
{
    launch.outputWithErrors = outputWithErrors;
    ProgramRun run;
    int status = 0;
    const pid_t pid = startChild(launch);
    if (pid > 0 && waitpid(pid, &status, 0) == pid) {
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        run.errors = childErrors(pid);
    }
    return run;
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

int lineCount(const std::string& text)
{
    int lines = 0;
    for (const char c : text) {
        lines += c == '\n';
    }
    return lines;
}

std::vector<std::string> ownLines(const std::string& text, const std::string& program)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(program + ": ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

bool waitUntil(const std::function<bool()>& condition, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(pollInterval);
    }
    return true;
}

std::vector<Window> windowsBelow(Display* display, Window window)
{
    std::vector<Window> found;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) {
        return found;
    }
    for (unsigned int n = 0; n < count; ++n) {
        found.push_back(children[n]);
        const std::vector<Window> below = windowsBelow(display, children[n]);
        found.insert(found.end(), below.begin(), below.end());
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

std::vector<Window> windowsOf(Display* display, pid_t pid, const std::string& title)
{
    std::vector<Window> found;
    // At any depth: a window manager puts each top-level window into a frame of its own.
    for (const Window window : windowsBelow(display, DefaultRootWindow(display))) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable
            && windowPid(display, window) == pid && windowTitle(display, window) == title) {
            found.push_back(window);
        }
    }
    return found;
}

Window waitForWindow(Display* display, pid_t pid, const std::string& title, double seconds)
{
    Window window = 0;
    waitUntil(
        [&] {
            const std::vector<Window> found = windowsOf(display, pid, title);
            window = found.empty() ? 0 : found.front();
            return window != 0;
        },
        seconds);
    return window;
}

Picture grabWindow(Display* display, Window window)
{
    Picture picture;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) {
        return picture;
    }
    XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return picture;
    }
    picture.width = attributes.width;
    picture.height = attributes.height;
    picture.rgb.reserve(static_cast<std::size_t>(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            picture.rgb.push_back(static_cast<unsigned char>((pixel & image->red_mask) >> 16));
            picture.rgb.push_back(static_cast<unsigned char>((pixel & image->green_mask) >> 8));
            picture.rgb.push_back(static_cast<unsigned char>(pixel & image->blue_mask));
        }
    }
    XDestroyImage(image);
    return picture;
}

void requestClose(Display* display, Window window)
{
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}
