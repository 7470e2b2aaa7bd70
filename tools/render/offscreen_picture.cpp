#include "offscreen_picture.h"

#include <cstdlib>
#include <cstring>

#include <EGL/egl.h>
#include <EGL/eglext.h>
// Framebuffer objects are core OpenGL 3.0, which the OpenGL library exports.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <Inventor/SbViewportRegion.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/elements/SoGLCacheContextElement.h>
#include <Inventor/errors/SoDebugError.h>
#include <Inventor/nodes/SoNode.h>

#include "app/library_switches.h"
#include "platform/sanitizer_build.h"

namespace {

// The scene library looks for a GLX context first and warns when there is
// none; here there never is one, and the EGL context serves it all the same.
constexpr const char* noGlxWarning = "Coin warning in glxglue_isdirect(): Couldn't get current GLX context.";

// The run's EGL display and context, given back when the run ends: the
// driver's threads then end before the process does.
struct HeldContext {
    HeldContext() = default;
    HeldContext(const HeldContext&) = delete;
    HeldContext& operator=(const HeldContext&) = delete;
    ~HeldContext()
    {
        // The driver is unloaded with the display, and the names of the
        // blocks it keeps to the end go with it: a sanitized build's leak
        // check looks now, while the suppressions can still name them.
        checkLeaksNow();
        release();
    }

    void release()
    {
        if (display == EGL_NO_DISPLAY) {
            return;
        }
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context != EGL_NO_CONTEXT) {
            eglDestroyContext(display, context);
        }
        eglTerminate(display);
        display = EGL_NO_DISPLAY;
        context = EGL_NO_CONTEXT;
    }

    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
};

HeldContext heldContext;

int pictureWidth = 0;
int pictureHeight = 0;
unsigned int cacheContext = 0;
bool drawnBefore = false;

SoErrorCB* passedOn = nullptr;
void* passedOnData = nullptr;

void quietenNoGlxWarning(const SoError* error, void* data)
{
    if (passedOn != nullptr && std::strcmp(error->getDebugString().getString(), noGlxWarning) != 0) {
        passedOn(error, data);
    }
}

bool hasExtension(const char* extensions, const char* name)
{
    if (extensions == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at != nullptr; at = std::strstr(at + length, name)) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

// A compatibility-profile context, the kind the scene library draws with,
// made current with no surface at all and held in heldContext; on a fault
// whatever was made is given back.
bool makeContextCurrent(EGLDisplay display)
{
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        return false;
    }
    heldContext.display = display;
    const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (hasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context")
        && eglBindAPI(EGL_OPENGL_API) && eglChooseConfig(display, wanted, &config, 1, &count) && count >= 1) {
        heldContext.context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    }
    if (heldContext.context == EGL_NO_CONTEXT || !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, heldContext.context)) {
        heldContext.release();
        return false;
    }
    return true;
}

bool startAnyContext()
{
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto platformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (platformDisplay == nullptr) {
        return false;
    }
    if (hasExtension(clientExtensions, "EGL_EXT_platform_device")) {
        auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
        constexpr EGLint mostDevices = 16;
        EGLDeviceEXT devices[mostDevices];
        EGLint count = 0;
        if (queryDevices != nullptr && queryDevices(mostDevices, devices, &count)) {
            for (EGLint n = 0; n < count; ++n) {
                if (makeContextCurrent(platformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[n], nullptr))) {
                    return true;
                }
            }
        }
    }
    return hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")
        && makeContextCurrent(platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
}

// A framebuffer with 8-bit RGBA colour and a 24-bit depth buffer, bound for drawing and reading.
bool makeFramebuffer(int width, int height)
{
    GLuint framebuffer = 0;
    GLuint buffers[2] = {};
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(2, buffers);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE && glGetError() == GL_NO_ERROR;
}

}

bool startOffscreenPicture(int width, int height, std::string& error)
{
    if (!startAnyContext()) {
        error = "no OpenGL context: EGL gives none on a device or on Mesa's surfaceless platform";
        return false;
    }
    if (!makeFramebuffer(width, height)) {
        error = "no OpenGL context: no " + std::to_string(width) + "x" + std::to_string(height)
                + " framebuffer with colour and depth";
        return false;
    }
    letCoinDrawWithoutGlx();
    passedOn = SoDebugError::getHandlerCallback();
    passedOnData = SoDebugError::getHandlerData();
    SoDebugError::setHandlerCallback(quietenNoGlxWarning, passedOnData);
    pictureWidth = width;
    pictureHeight = height;
    cacheContext = SoGLCacheContextElement::getUniqueCacheContext();
    return true;
}

bool drawPictureOnly(SoNode* root)
{
    SoGLRenderAction action(SbViewportRegion(static_cast<short>(pictureWidth), static_cast<short>(pictureHeight)));
    action.setCacheContext(cacheContext);
    action.setTransparencyType(SoGLRenderAction::SORTED_OBJECT_BLEND);
    // Seen with Coin 4: the first traversal in a fresh context draws the
    // scene without its textures and lights in place, and the viewer draws
    // over it at once. From the second on, every drawing is the viewer's.
    for (int pass = drawnBefore ? 1 : 0; pass < 2; ++pass) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        action.apply(root);
    }
    drawnBefore = true;
    return glGetError() == GL_NO_ERROR;
}

bool readPictureRows(int bottom, int rows, std::vector<unsigned char>& rgbBottomUp)
{
    rgbBottomUp.resize(static_cast<std::size_t>(pictureWidth) * rows * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, bottom, pictureWidth, rows, GL_RGB, GL_UNSIGNED_BYTE, rgbBottomUp.data());
    return glGetError() == GL_NO_ERROR;
}

bool drawPicture(SoNode* root, std::vector<unsigned char>& rgbBottomUp)
{
    return drawPictureOnly(root) && readPictureRows(0, pictureHeight, rgbBottomUp);
}
