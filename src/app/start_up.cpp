#include "app/start_up.h"

#include <Inventor/actions/SoGLRenderAction.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"
#include "app/scene_assembly.h"
#include "images/image_reader.h"
#ifdef PELMORA_WITH_MODEL
#include "scenery/imported_model.h"
#endif

StartedPool startUp(int& argc, char** argv)
{
    StartedPool pool;
#ifdef PELMORA_WITH_MODEL
    startImportedModelCheck();                                                // the model is checked while the window opens
#endif
    registerJpegReader();                                                     // ahead of the binding's own image reader
    pool.mainWindow = initBinding(argc, argv, argv[0], bindingClassName);     // opens the display and the scene database
    if (pool.mainWindow == nullptr) {
        return pool;                                                          // nowhere to show the pool
    }
    SoSeparator* sceneRoot = assembleScene();                                 // water, light and scenery
    pool.viewer = new ExaminerViewer(pool.mainWindow, nullptr, TRUE, FullViewer::BUILD_ALL, Viewer::BROWSER);
    pool.viewer->setSceneGraph(sceneRoot);                                    // the viewer holds the scene from here on
    pool.viewer->setTitle("Pel Mora");
    pool.viewer->setTransparencyType(SoGLRenderAction::SORTED_OBJECT_BLEND); // blend the translucent water and tint
    pool.viewer->show();
    pool.idle = new SoIdleSensor;
    pool.idle->setFunction(frameTick);                                        // one step of the water per idle moment
    pool.idle->schedule();
    showWindow(pool.mainWindow);
    return pool;
}
