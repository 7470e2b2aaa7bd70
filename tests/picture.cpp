#include "picture.h"

#include <Inventor/SbImage.h>
#include <Inventor/SbString.h>
#include <Inventor/SbVec2s.h>

namespace {

constexpr int rgbBytes = 3;

const unsigned char* pixelAt(const Picture& picture, int x, int y)
{
    return picture.rgb.data() + (static_cast<std::size_t>(y) * picture.width + x) * rgbBytes;
}

}

bool readPicture(const std::string& path, Picture& picture)
{
    SbImage image;
    if (!image.readFile(SbString(path.c_str()))) {
        return false;
    }
    SbVec2s size;
    int components = 0;
    const unsigned char* bottomUp = image.getValue(size, components);
    if (bottomUp == nullptr || components != rgbBytes) {
        return false;
    }
    picture.width = size[0];
    picture.height = size[1];
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * rgbBytes;
    picture.rgb.clear();
    for (int y = picture.height - 1; y >= 0; --y) {
        const unsigned char* row = bottomUp + static_cast<std::size_t>(y) * rowBytes;
        picture.rgb.insert(picture.rgb.end(), row, row + rowBytes);
    }
    return true;
}

MeanColour meanColour(const Picture& picture, const PixelBox& box)
{
    MeanColour mean;
    int count = 0;
    for (int y = box.top; y <= box.bottom; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            const unsigned char* pixel = pixelAt(picture, x, y);
            mean.red += pixel[0];
            mean.green += pixel[1];
            mean.blue += pixel[2];
            ++count;
        }
    }
    if (count > 0) {
        mean.red /= count;
        mean.green /= count;
        mean.blue /= count;
    }
    return mean;
}

int differingPixels(const Picture& one, const Picture& other, const PixelBox& box)
{
    int count = 0;
    for (int y = box.top; y <= box.bottom; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            const unsigned char* a = pixelAt(one, x, y);
            const unsigned char* b = pixelAt(other, x, y);
            if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) {
                ++count;
            }
        }
    }
    return count;
}

PixelBox wholePicture(const Picture& picture)
{
    return PixelBox{0, 0, picture.width - 1, picture.height - 1};
}
