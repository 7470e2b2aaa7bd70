#include "pictures.h"

#include <fstream>

#include <Inventor/SbImage.h>
#include <Inventor/SbString.h>
#include <Inventor/SbVec2s.h>

namespace {

constexpr int rgbBytes = 3;

// A water pixel: blue at least this bright and this far above red.
constexpr int waterBlue = 80;
constexpr int waterBlueOverRed = 30;

const unsigned char* pixelAt(const Picture& picture, int x, int y)
{
    return picture.rgb.data() + (static_cast<std::size_t>(y) * picture.width + x) * rgbBytes;
}

// A binary PPM, as the Windows viewer's read-back writes it.
bool readPpm(const std::string& path, Picture& picture)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int largest = 0;
    in >> magic >> picture.width >> picture.height >> largest;
    in.get();
    if (!in || magic != "P6" || largest != 255 || picture.width <= 0 || picture.height <= 0) {
        return false;
    }
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * rgbBytes);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size())));
}

}

bool readPicture(const std::string& path, Picture& picture)
{
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".ppm") == 0) {
        return readPpm(path, picture);
    }
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

void writePicture(const std::string& path, const Picture& picture)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
}

PixelBox wholePicture(const Picture& picture)
{
    return PixelBox{0, 0, picture.width - 1, picture.height - 1};
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

long differingPixels(const Picture& one, const Picture& other, const PixelBox& box)
{
    if (one.width != other.width || one.height != other.height) {
        return -1;
    }
    long count = 0;
    for (int y = box.top; y <= box.bottom; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            const unsigned char* a = pixelAt(one, x, y);
            const unsigned char* b = pixelAt(other, x, y);
            count += a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
        }
    }
    return count;
}

double blueShare(const Picture& picture)
{
    const std::size_t pixels = picture.rgb.size() / rgbBytes;
    if (pixels == 0) {
        return 0.0;
    }
    std::size_t blue = 0;
    for (std::size_t n = 0; n < pixels; ++n) {
        const int red = picture.rgb[rgbBytes * n];
        const int bluePart = picture.rgb[rgbBytes * n + 2];
        blue += bluePart >= waterBlue && bluePart >= red + waterBlueOverRed;
    }
    return static_cast<double>(blue) / pixels;
}

std::string describe(const MeanColour& colour)
{
    return "rgb(" + std::to_string(colour.red) + ", " + std::to_string(colour.green) + ", " + std::to_string(colour.blue)
           + ")";
}
