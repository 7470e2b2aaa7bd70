// Opens the examiner viewer on one cube as the program will start on SoWin, draws frames, and at frame N
// reads the picture back inside the program (Wine on Xvfb never shows a child window's GL on screen) and
// writes it as a binary PPM. It then runs until a close request, or exits after frame N with --exit.
//   pelmora-windows-smoke OUTPUT.ppm N [--exit]
#include <Inventor/Win/SoWin.h>
#include <Inventor/Win/viewers/SoWinExaminerViewer.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoCube.h>
#include <Inventor/nodes/SoMaterial.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/nodes/SoTransform.h>
#include <Inventor/sensors/SoTimerSensor.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Capture {
  std::string path;
  int frame_to_read;
  bool exit_after;
  int frames_drawn;
  bool written;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Writes rows bottom-up as GL returns them into a PPM, top row first; through a temporary name, so that
// a reader never sees half a picture.
bool write_ppm(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
  const std::string temporary = path + ".tmp";
  {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(temporary.c_str(), "wb"));
    if (!file) return false;
    std::fprintf(file.get(), "P6\n%d %d\n255\n", width, height);
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    for (int y = height - 1; y >= 0; --y) {
      if (std::fwrite(rgb.data() + row * y, 1, row, file.get()) != row) return false;
    }
    if (std::fflush(file.get()) != 0) return false;
  }
  std::remove(path.c_str());
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

// SoWin's only hook between drawing a frame and swapping it: the whole frame is in the back buffer, with
// the delayed transparent objects, and the context is current.
class CapturingViewer : public SoWinExaminerViewer {
 public:
  CapturingViewer(HWND parent, Capture& capture)
      : SoWinExaminerViewer(parent, nullptr, TRUE, SoWinFullViewer::BUILD_ALL, SoWinViewer::BROWSER),
        capture_(capture) {}

 protected:
  void actualRedraw() override {
    SoWinExaminerViewer::actualRedraw();
    if (++capture_.frames_drawn != capture_.frame_to_read) return;
    const SbVec2s size = getViewportRegion().getViewportSizePixels();
    std::vector<unsigned char> rgb(static_cast<std::size_t>(size[0]) * size[1] * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, size[0], size[1], GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    capture_.written = write_ppm(capture_.path, size[0], size[1], rgb);
    std::printf("frame %d: %dx%d read back, %s\n", capture_.frames_drawn, size[0], size[1],
                capture_.written ? "written" : "NOT written");
    std::fflush(stdout);
    if (capture_.exit_after) SoWin::exitMainLoop();
  }

 private:
  Capture& capture_;
};

// Asks for the next frame, as the simulation's tick will.
void tick(void* data, SoSensor*) { static_cast<SoNode*>(data)->touch(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || std::atoi(argv[2]) < 1) {
    std::fprintf(stderr, "usage: pelmora-windows-smoke OUTPUT.ppm N [--exit]\n");
    return 2;
  }
  Capture capture{argv[1], std::atoi(argv[2]), argc > 3 && std::strcmp(argv[3], "--exit") == 0, 0, false};

  HWND window = SoWin::init(argc, argv, "Pel Mora");
  if (window == nullptr) {
    std::fprintf(stderr, "pelmora-windows-smoke: no window can be opened\n");
    return 1;
  }

  SoSeparator* root = new SoSeparator;
  root->ref();
  // Turned so that three faces show, each lit differently.
  SoTransform* turn = new SoTransform;
  turn->rotation.setValue(SbVec3f(1.0f, 1.0f, 0.0f), 0.6f);
  root->addChild(turn);
  SoMaterial* material = new SoMaterial;
  material->diffuseColor.setValue(0.9f, 0.5f, 0.1f);
  root->addChild(material);
  root->addChild(new SoCube);

  SoWinExaminerViewer* viewer = new CapturingViewer(window, capture);
  viewer->setSceneGraph(root);
  viewer->setTitle("Pel Mora");
  viewer->setTransparencyType(SoGLRenderAction::SORTED_OBJECT_BLEND);
  viewer->show();
  SoWin::show(window);

  SoTimerSensor ticker(tick, root);
  ticker.setInterval(SbTime(1.0 / 60.0));
  ticker.schedule();
  SoWin::mainLoop();
  ticker.unschedule();

  delete viewer;
  root->unref();
  std::printf("main loop ended after %d frames\n", capture.frames_drawn);
  return capture.written ? 0 : 3;
}
