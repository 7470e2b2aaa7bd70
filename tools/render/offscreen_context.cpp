#include "offscreen_context.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <Inventor/C/glue/gl.h>

// After Coin's headers: Xlib's macros (None, Bool, Status) would collide with names in them.
#include <GL/glx.h>

#include "render_options.h"

// Why not Coin's own GLX code: it first makes a context on a GLX pixmap and
// always asks for an indirect one, which X servers since 1.17 refuse unless
// started with +iglx ("Couldn't create GLX context"); even allowed, Xvfb's
// indirect rendering draws nothing, and Coin's own pbuffer choice gets a
// BadMatch from Mesa's software rasteriser. So the contexts are made here:
// direct, on a pbuffer of a configuration that the software path can copy.

namespace {

// Coin's size query (cc_glglue_context_max_dimensions) gives every offscreen
// context, even one made here, to its own GLX code, which takes the int at
// byte 0x40 as its "on a pbuffer" flag and, when set, reads further fields as
// its own. Zeroed leading bytes make it read "no" and touch nothing else.
constexpr std::size_t bytesCoinReads = 0x80;

struct OffscreenContext {
    unsigned char zeroForCoin[bytesCoinReads] = {};
    GLXContext context = nullptr;
    GLXPbuffer pbuffer = 0;
    Display* previousDisplay = nullptr;
    GLXDrawable previousDraw = 0;
    GLXDrawable previousRead = 0;
    GLXContext previousContext = nullptr;
};

Display* display = nullptr;
GLXFBConfig config = nullptr;
bool refused = false;

int noteRefusal(Display*, XErrorEvent*)
{
    refused = true;
    return 0;
}

// Xlib ends the process on a lost connection anyway; say it in one line with our status.
int reportLostDisplay(Display*)
{
    std::fputs("pelmora-render: lost the connection to the X display\n", stderr);
    _exit(exitCannotRun);
}

void destroyContext(cc_glglue_offscreen_data data)
{
    auto* made = static_cast<OffscreenContext*>(data);
    if (made->context != nullptr) {
        glXDestroyContext(display, made->context);
    }
    if (made->pbuffer != 0) {
        glXDestroyPbuffer(display, made->pbuffer);
    }
    delete made;
}

cc_glglue_offscreen_data createContext(unsigned int width, unsigned int height)
{
    const int size[] = {
        GLX_PBUFFER_WIDTH, static_cast<int>(width),
        GLX_PBUFFER_HEIGHT, static_cast<int>(height),
        None,
    };
    auto* made = new OffscreenContext;
    made->pbuffer = glXCreatePbuffer(display, config, size);
    // Direct: the server is never asked to render.
    made->context = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
    XSync(display, False);
    if (refused || made->pbuffer == 0 || made->context == nullptr) {
        destroyContext(made);
        return nullptr;
    }
    return made;
}

SbBool makeCurrent(cc_glglue_offscreen_data data)
{
    auto* made = static_cast<OffscreenContext*>(data);
    made->previousDisplay = glXGetCurrentDisplay();
    made->previousDraw = glXGetCurrentDrawable();
    made->previousRead = glXGetCurrentReadDrawable();
    made->previousContext = glXGetCurrentContext();
    return glXMakeContextCurrent(display, made->pbuffer, made->pbuffer, made->context) ? TRUE : FALSE;
}

void reinstatePrevious(cc_glglue_offscreen_data data)
{
    auto* made = static_cast<OffscreenContext*>(data);
    if (made->previousContext == nullptr) {
        glXMakeContextCurrent(display, None, None, nullptr);
        return;
    }
    glXMakeContextCurrent(made->previousDisplay, made->previousDraw, made->previousRead, made->previousContext);
}

cc_glglue_offscreen_cb_functions contextFunctions = {createContext, makeCurrent, reinstatePrevious, destroyContext};

// Mesa's software rasteriser copies a pbuffer with XPutImage at the config's
// buffer size, while the server made the pbuffer at its visual's depth: an
// 8-bit-alpha config on a 24-bit visual gets BadMatch. So only a config
// whose visual is exactly as deep as its colour buffer will do.
GLXFBConfig chooseConfig()
{
    const int wanted[] = {
        GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT,
        GLX_RENDER_TYPE, GLX_RGBA_BIT,
        GLX_RED_SIZE, 8,
        GLX_GREEN_SIZE, 8,
        GLX_BLUE_SIZE, 8,
        GLX_DEPTH_SIZE, 24,
        None,
    };
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), wanted, &count);
    GLXFBConfig chosen = nullptr;
    for (int n = 0; n < count && chosen == nullptr; ++n) {
        XVisualInfo* visual = glXGetVisualFromFBConfig(display, configs[n]);
        if (visual == nullptr) {
            continue;
        }
        int bufferSize = 0;
        glXGetFBConfigAttrib(display, configs[n], GLX_BUFFER_SIZE, &bufferSize);
        if (bufferSize == visual->depth) {
            chosen = configs[n];
        }
        XFree(visual);
    }
    if (configs != nullptr) {
        XFree(configs);
    }
    return chosen;
}

// One small context made, used and dropped: proves the display can give them.
bool contextWorks()
{
    cc_glglue_offscreen_data probe = createContext(1, 1);
    if (probe == nullptr) {
        return false;
    }
    const bool current = makeCurrent(probe) == TRUE;
    reinstatePrevious(probe);
    destroyContext(probe);
    XSync(display, False);
    return current && !refused;
}

}

bool startOffscreenContexts(std::string& error)
{
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0') {
        error = "no OpenGL context: DISPLAY is not set (without a screen, run under xvfb-run)";
        return false;
    }
    display = XOpenDisplay(name);
    if (display == nullptr) {
        error = std::string("no OpenGL context: cannot open the X display '") + name + "'";
        return false;
    }
    XSetErrorHandler(noteRefusal);
    XSetIOErrorHandler(reportLostDisplay);
    int errorBase = 0;
    int eventBase = 0;
    int major = 0;
    int minor = 0;
    if (!glXQueryExtension(display, &errorBase, &eventBase) || !glXQueryVersion(display, &major, &minor)) {
        error = std::string("no OpenGL context: the X display '") + name + "' has no GLX";
        return false;
    }
    if (major < 1 || (major == 1 && minor < 3)) {
        error = std::string("no OpenGL context: the X display '") + name + "' has GLX older than 1.3, without pbuffers";
        return false;
    }
    config = chooseConfig();
    if (config == nullptr) {
        error = std::string("no OpenGL context: the X display '") + name + "' offers no 24-bit RGB pbuffer";
        return false;
    }
    if (!contextWorks()) {
        error = std::string("no OpenGL context: the X display '") + name + "' refused an offscreen context";
        return false;
    }
    cc_glglue_context_set_offscreen_cb_functions(&contextFunctions);
    return true;
}

bool xRequestRefused()
{
    return refused;
}
