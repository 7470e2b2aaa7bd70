// The program's own start-up on Windows, with one change after it: the ticks
// stop at tick 300. Once the viewer has drawn that tick, its picture is read
// back from the render area's GL drawable, since Wine on a virtual X server
// never shows a child window's GL on screen, and written as a binary PPM to
// the file named by the first argument; its size goes to standard output as
// "WIDTH HEIGHT". A second argument, "WIDTHxHEIGHT", sizes the window so that
// its render area is that large, as another viewer's was. The program then
// runs until its window is closed.

#include <windows.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/stopped_at_tick.h"

namespace {

ExaminerViewer* viewer = nullptr;
std::string picturePath;

// The drawable's pixels, bottom row first, through a context of our own on
// the area's device context: the back buffer belongs to the drawable.
std::vector<unsigned char> drawnPixels(HWND area, int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    const HDC device = GetDC(area);
    const HGLRC context = wglCreateContext(device);
    if (context != nullptr && wglMakeCurrent(device, context)) {
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        wglMakeCurrent(nullptr, nullptr);
    }
    if (context != nullptr) {
        wglDeleteContext(context);
    }
    ReleaseDC(area, device);
    return pixels;
}

void readPicture(void*, SoSensor*)
{
    viewer->render();
    const SbVec2s size = viewer->getViewportRegion().getWindowSize();
    const int width = size[0];
    const int height = size[1];
    const std::vector<unsigned char> pixels = drawnPixels(viewer->getGLWidget(), width, height);
    std::FILE* file = std::fopen(picturePath.c_str(), "wb");
    if (file == nullptr) {
        std::exit(2);
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (int row = height - 1; row >= 0; --row) {
        std::fwrite(pixels.data() + static_cast<std::size_t>(row) * width * 3, 1, static_cast<std::size_t>(width) * 3, file);
    }
    std::fclose(file);
    std::printf("%d %d\n", width, height);
    std::fflush(stdout);
}

}

int main(int argc, char** argv)
{
    int width = 0;
    int height = 0;
    if (argc < 2 || (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2)) {
        std::fprintf(stderr, "usage: pelmora-viewer-readback PICTURE.ppm [WIDTHxHEIGHT]\n");
        return 2;
    }
    picturePath = argv[1];
    viewer = startStoppingAtLastTick(argc, argv, readPicture).viewer;
    if (width > 0 && height > 0) {
        // The frame and the viewer's wheels keep their size: the window grows by what the area lacks.
        const SbVec2s area = viewer->getViewportRegion().getWindowSize();
        viewer->setSize(viewer->getSize() + SbVec2s(static_cast<short>(width - area[0]), static_cast<short>(height - area[1])));
    }
    runMainLoop();
    return 0;
}
