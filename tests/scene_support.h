#pragma once

#include <cstdint>

#include <gtest/gtest.h>

#include <Inventor/SoDB.h>
#include <Inventor/nodekits/SoNodeKit.h>
#include <Inventor/nodes/SoGroup.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"
#include "app/headless_run.h"
#include "sim/random_source.h"

// The scene database and node kits, as the viewer binding would start them.
inline void initScene()
{
    SoDB::init();
    SoNodeKit::init();
}

// Child n of a group as the node type a test expects, or null if it is another type.
template <typename T>
T* childAs(SoNode* group, int n)
{
    auto* asGroup = static_cast<SoGroup*>(group);
    if (n >= asGroup->getNumChildren()) {
        return nullptr;
    }
    SoNode* child = asGroup->getChild(n);
    return child->isOfType(T::getClassTypeId()) ? static_cast<T*>(child) : nullptr;
}

// A whole start-up as a fresh run has it: the generator and tick counters at
// their first values, then the scene as start-up assembles it. The returned
// root is referenced; release it with unref.
inline SoSeparator* startRun()
{
    return startHeadlessRun();
}

// A fresh run and a real idle sensor for the tick to schedule again; the test
// drives the ticks itself, as the event loop would one idle moment at a time.
class RunningPool : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = startRun();
        sensor = new SoIdleSensor;
    }
    void TearDown() override
    {
        sensor->unschedule();
        delete sensor;
        root->unref();
    }

    void tick()
    {
        sensor->unschedule();
        frameTick(nullptr, sensor);
    }

    SoSeparator* root = nullptr;
    SoIdleSensor* sensor = nullptr;
};
