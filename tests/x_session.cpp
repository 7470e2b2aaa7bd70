#include "x_session.h"

#include "virtual_display.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace {

VirtualDisplay server;

void stopServer()
{
    stopVirtualDisplay(server);
}

int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

std::string windowTitle(Display* display, Window window)
{
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 256, False, utf8, &type, &format, &count, &remaining, &data) == Success && data != nullptr) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name != nullptr) {
        title = name;
        XFree(name);
    }
    return title;
}

// Lets the caller's exec see a variable or not at all.
void setOrClear(const char* name, const std::string& value)
{
    if (value.empty()) {
        unsetenv(name);
    } else {
        setenv(name, value.c_str(), 1);
    }
}

}

const std::string& virtualDisplay()
{
    if (server.pid <= 0) {
        server = startVirtualDisplay({});
        std::atexit(stopServer);
        if (server.name.empty()) {
            throw std::runtime_error("the virtual X server did not start");
        }
    }
    return server.name;
}

Display* openVirtualDisplay()
{
    // Windows come and go while a program starts; asking after one that just
    // went is an answer, not a reason to end the test process.
    XSetErrorHandler(ignoreError);
    return XOpenDisplay(virtualDisplay().c_str());
}

pid_t startProgram(const std::string& program, const std::string& directory, const std::string& display)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(directory.c_str()) != 0) {
            _exit(126);
        }
        setOrClear("DISPLAY", display);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

std::vector<Window> windowsTitled(Display* display, const std::string& title)
{
    std::vector<Window> found;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return found;
    }
    for (unsigned int n = 0; n < count; ++n) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[n], &attributes) && attributes.map_state == IsViewable && windowTitle(display, children[n]) == title) {
            found.push_back(children[n]);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

Window waitForWindow(Display* display, const std::string& title, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        const std::vector<Window> found = windowsTitled(display, title);
        if (!found.empty()) {
            return found.front();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
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

double blueShare(const Picture& picture)
{
    const std::size_t pixels = picture.rgb.size() / 3;
    if (pixels == 0) {
        return 0.0;
    }
    std::size_t blue = 0;
    for (std::size_t n = 0; n < pixels; ++n) {
        const int red = picture.rgb[3 * n];
        const int bluePart = picture.rgb[3 * n + 2];
        blue += bluePart >= 80 && bluePart >= red + 30;
    }
    return static_cast<double>(blue) / pixels;
}

long differingPixels(const Picture& first, const Picture& second)
{
    if (first.rgb.size() != second.rgb.size()) {
        return -1;
    }
    long differing = 0;
    for (std::size_t n = 0; n < first.rgb.size(); n += 3) {
        differing += std::memcmp(&first.rgb[n], &second.rgb[n], 3) != 0;
    }
    return differing;
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

bool waitForExit(pid_t pid, int& status, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void stopProgram(pid_t pid)
{
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}
