#include <cstdlib>

#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"
#include "app/scene_assembly.h"
#include "app/viewer_binding.h"
#ifdef PELMORA_WITH_MODEL
#include "scenery/imported_model.h"
#endif

int main(int argc, char** argv)
{
#ifdef PELMORA_WITH_MODEL
    startImportedModelCheck();                                                // the model is checked while the window opens
#endif
    BindingWindow mainWindow = initBinding(argc, argv, argv[0], "SoWin");  // opens the display and the scene database
    if (mainWindow == nullptr) {
        std::exit(1);                                                         // nowhere to show the pool
    }
    SoSeparator* sceneRoot = assembleScene();                                 // water, light and scenery
    auto* viewer = new ExaminerViewer(mainWindow, nullptr, TRUE, FullViewer::BUILD_ALL, Viewer::BROWSER);
    viewer->setSceneGraph(sceneRoot);                                         // the viewer holds the scene from here on
    viewer->setTitle("Pel Mora");
    viewer->setTransparencyType(SoGLRenderAction::SORTED_OBJECT_BLEND);       // blend the translucent water and tint
    viewer->show();
    auto* idle = new SoIdleSensor;
    idle->setFunction(frameTick);                                             // one step of the water per idle moment
    idle->schedule();
    showWindow(mainWindow);
    runMainLoop();                                                            // until the window is closed
    return 0;
}
