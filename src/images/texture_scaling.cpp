#include "images/texture_scaling.h"

#include <algorithm>
#include <cstddef>

#include <Inventor/SbImage.h>
#include <Inventor/SbVec3s.h>
#include <Inventor/misc/SoGLImage.h>

namespace {

// Where texel n of a row of count texels falls on a row of sourceCount texels:
// the two source texels around it and the weight of the second. Texel centres
// map to texel centres and the edges hold, so nothing wraps round.
struct Sample {
    int first;
    int second;
    float weight;
};

Sample sampleAt(int n, int count, int sourceCount)
{
    const float position =
        (static_cast<float>(n) + 0.5f) * static_cast<float>(sourceCount) / static_cast<float>(count) - 0.5f;
    const float held = std::clamp(position, 0.0f, static_cast<float>(sourceCount - 1));
    const int first = static_cast<int>(held);
    return {first, std::min(first + 1, sourceCount - 1), held - static_cast<float>(first)};
}

float blend(float one, float other, float weight)
{
    return one + (other - one) * weight;
}

SbBool scaleBilinearly(SoState*, const SbVec3s& newSize, unsigned char* scaled, SoGLImage::ResizeReason reason, void*,
                       SoGLImage* image)
{
    const SbImage* source = image != nullptr ? image->getImage() : nullptr;
    if (reason != SoGLImage::IMAGE || source == nullptr || newSize[2] != 0) {
        return FALSE;
    }
    SbVec3s size;
    int components = 0;
    const unsigned char* pixels = source->getValue(size, components);
    if (pixels == nullptr || size[2] != 0 || size[0] < 1 || size[1] < 1 || components < 1) {
        return FALSE;
    }
    const auto at = [&](int x, int y, int c) {
        return static_cast<float>(pixels[(static_cast<std::size_t>(y) * size[0] + x) * components + c]);
    };
    unsigned char* out = scaled;
    for (int y = 0; y < newSize[1]; ++y) {
        const Sample row = sampleAt(y, newSize[1], size[1]);
        for (int x = 0; x < newSize[0]; ++x) {
            const Sample column = sampleAt(x, newSize[0], size[0]);
            for (int c = 0; c < components; ++c) {
                const float lower = blend(at(column.first, row.first, c), at(column.second, row.first, c), column.weight);
                const float upper = blend(at(column.first, row.second, c), at(column.second, row.second, c), column.weight);
                *out++ = static_cast<unsigned char>(blend(lower, upper, row.weight) + 0.5f);
            }
        }
    }
    return TRUE;
}

}

void scaleTexturesOurselves()
{
    SoGLImage::setResizeCallback(scaleBilinearly, nullptr);
}
