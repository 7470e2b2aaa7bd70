#include "support/water_state.h"

#include <cstring>

#include <Inventor/SbVec2s.h>
#include <Inventor/nodekits/SoShapeKit.h>
#include <Inventor/nodes/SoCoordinate3.h>
#include <Inventor/nodes/SoTexture2.h>

#include "app/frame_tick.h"
#include "config/build_config.h"
#include "sim/height_field.h"
#include "sim/random_source.h"
#include "surface/caustic_texture.h"
#include "surface/water_surface.h"
#include "support/pool.h"

namespace {

template <typename T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

}

WaterState captureWaterState()
{
    WaterState state;
    state.heights.assign(heights, heights + gridCellCount);
    state.velocities.assign(velocities, velocities + gridCellCount);
    state.causticImage.assign(causticImage, causticImage + sizeof causticImage);
    SbVec2s size;
    int components = 0;
    const unsigned char* shown = causticTexture->image.getValue(size, components);
    state.textureImage.assign(shown, shown + size[0] * size[1] * components);
    state.stagingVertices.assign(surfaceVertices, surfaceVertices + surfaceVertexCount);
    const SbVec3f* points = meshCoordinates()->point.getValues(0);
    state.meshPoints.assign(points, points + meshCoordinates()->point.getNum());
    state.randomState = randomState;
    state.tickCount = tickCount;
    state.dropCountdown = dropCountdown;
    return state;
}

void restoreWaterState(const WaterState& state)
{
    std::memcpy(heights, state.heights.data(), gridCellCount * sizeof(double));
    std::memcpy(velocities, state.velocities.data(), gridCellCount * sizeof(double));
    std::memcpy(causticImage, state.causticImage.data(), sizeof causticImage);
    causticTexture->image.setValue(SbVec2s(gridSize, gridSize), pixelBytes, state.textureImage.data(), SoSFImage::COPY);
    std::memcpy(static_cast<void*>(surfaceVertices), state.stagingVertices.data(), surfaceVertexCount * sizeof(SbVec3f));
    meshCoordinates()->point.setValues(0, static_cast<int>(state.meshPoints.size()), state.meshPoints.data());
    randomState = state.randomState;
    tickCount = state.tickCount;
    dropCountdown = state.dropCountdown;
}

std::string firstDifference(const WaterState& ours, const WaterState& reference)
{
    if (!sameBits(ours.heights, reference.heights)) {
        return "heights";
    }
    if (!sameBits(ours.velocities, reference.velocities)) {
        return "velocities";
    }
    if (!sameBits(ours.causticImage, reference.causticImage)) {
        return "caustic image";
    }
    if (!sameBits(ours.textureImage, reference.textureImage)) {
        return "caustic texture field";
    }
    if (!sameBits(ours.stagingVertices, reference.stagingVertices)) {
        return "staging vertices";
    }
    if (!sameBits(ours.meshPoints, reference.meshPoints)) {
        return "mesh point field";
    }
    if (ours.randomState != reference.randomState) {
        return "random state";
    }
    if (ours.tickCount != reference.tickCount) {
        return "tick count";
    }
    if (ours.dropCountdown != reference.dropCountdown) {
        return "drop countdown";
    }
    return "";
}
