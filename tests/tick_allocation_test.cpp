#include <gtest/gtest.h>

#include <Inventor/SbVec2s.h>
#include <Inventor/SoDB.h>
#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoTexture2.h>
#include <Inventor/sensors/SoIdleSensor.h>
#include <Inventor/sensors/SoNodeSensor.h>
#include <Inventor/sensors/SoSensorManager.h>

#include "support/allocation_counter.h"
#include "support/pool.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"

namespace {

int sceneNotifications = 0;

void noteNotification(void*, SoSensor*)
{
    ++sceneNotifications;
}

// The live program with its window left out: the tick runs as the idle sensor
// runs it, and a sensor on the root stands in for the viewer's redraw trigger,
// run from the delay queue after every tick as the event loop would.
class TickAllocation : public RunningPool {
protected:
    void SetUp() override
    {
        RunningPool::SetUp();
        rootSensor = new SoNodeSensor(noteNotification, nullptr);
        rootSensor->attach(root);
    }
    void TearDown() override
    {
        delete rootSensor;
        RunningPool::TearDown();
    }

    void tickAndNotify()
    {
        tick();
        SoDB::getSensorManager()->processDelayQueue(FALSE);
    }

    SoNodeSensor* rootSensor = nullptr;
};

const SbVec3f* meshStorage()
{
    return meshCoordinates()->point.getValues(0);
}

const unsigned char* imageStorage()
{
    SbVec2s size;
    int components = 0;
    return causticTexture->image.getValue(size, components);
}

}

// Both of the scene's copies land in storage it already holds: the texture's
// image keeps its buffer while size and components stay the same, and the
// point field keeps its array while the count stays the same. So the count
// that the copies need is zero, and so is the count for the whole tick.
TEST_F(TickAllocation, ThousandTicksAfterTheFirstRefreshAllocateNothing)
{
    for (int n = 0; n < refreshInterval; ++n) {
        tickAndNotify();
    }
    const SbVec3f* mesh = meshStorage();
    const unsigned char* image = imageStorage();
    const SbVec3f* staging = surfaceVertices;
    sceneNotifications = 0;
    const long before = allocationCount;
    for (int n = 0; n < 1000; ++n) {
        tickAndNotify();
    }
    EXPECT_EQ(allocationCount - before, 0);
    // The copies were really made and reached the root: one redraw per refresh.
    EXPECT_EQ(sceneNotifications, 333);
    EXPECT_EQ(meshStorage(), mesh);
    EXPECT_EQ(imageStorage(), image);
    EXPECT_EQ(surfaceVertices, staging);
}

TEST_F(TickAllocation, TicksWithoutARefreshNeverTouchTheScene)
{
    for (int n = 0; n < refreshInterval; ++n) {
        tickAndNotify();
    }
    sceneNotifications = 0;
    tickAndNotify();
    tickAndNotify();
    EXPECT_EQ(sceneNotifications, 0);
    tickAndNotify();
    EXPECT_EQ(sceneNotifications, 1);
}
