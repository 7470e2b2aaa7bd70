#include "support/windows.h"

#include <cstring>

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "support/waiting.h"

namespace {

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
            && (pid == 0 || windowPid(display, window) == pid) && windowTitle(display, window) == title) {
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

Window openMenu(Display* display)
{
    constexpr int smallestMenuSide = 50;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window menu = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return 0;
    }
    for (unsigned int n = 0; n < count; ++n) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[n], &attributes) && attributes.map_state == IsViewable
            && attributes.override_redirect && attributes.width > smallestMenuSide && attributes.height > smallestMenuSide) {
            menu = children[n];
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return menu;
}
