#include "pool.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include <Inventor/SoDB.h>
#include <Inventor/nodekits/SoNodeKit.h>
#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoSeparator.h>
#include <Inventor/sensors/SoIdleSensor.h>

#include "app/frame_tick.h"
#include "app/headless_run.h"
#include "images/image_reader.h"
#include "sim/height_field.h"
#include "surface/water_surface.h"

std::uint64_t hashBytes(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t n = 0; n < size; ++n) {
        hash = (hash ^ bytes[n]) * 0x100000001b3ull;
    }
    return hash;
}

std::uint64_t bitsOf(double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void fillGrid(double* grid, double value)
{
    for (int cell = 0; cell < gridCellCount; ++cell) {
        grid[cell] = value;
    }
}

void stillWater()
{
    fillGrid(heights, restHeight);
    fillGrid(velocities, 0.0);
}

SoCoordinate3* meshCoordinates()
{
    return static_cast<SoCoordinate3*>(waterKit->getPart("coordinate3", FALSE));
}

std::string standardErrorOf(const std::function<void()>& call)
{
    // A file with no name, gone once closed.
    std::FILE* file = std::tmpfile();
    std::fflush(stderr);
    const int saved = dup(fileno(stderr));
    dup2(fileno(file), fileno(stderr));
    call();
    std::fflush(stderr);
    dup2(saved, fileno(stderr));
    close(saved);
    std::rewind(file);
    std::string errors;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        errors.append(chunk, got);
    }
    std::fclose(file);
    return errors;
}

void initScene()
{
    SoDB::init();
    SoNodeKit::init();
    registerJpegReader();
}

void RunningPool::SetUp()
{
    root = startHeadlessRun();
    sensor = new SoIdleSensor;
}

void RunningPool::TearDown()
{
    sensor->unschedule();
    delete sensor;
    root->unref();
}

void RunningPool::tick()
{
    sensor->unschedule();
    frameTick(nullptr, sensor);
}
