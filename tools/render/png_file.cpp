#include "png_file.h"

#include <vector>

#include <png.h>

bool writePng(OutputFile& file, int width, int height, const unsigned char* rgbBottomUp, std::string& error)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // A negative stride tells libpng that the rows run from the bottom up.
    const png_int_32 stride = -static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(image));
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgbBottomUp, stride, nullptr)) {
        error = std::string("cannot encode ") + file.path + ": " + image.message;
        return false;
    }
    std::vector<unsigned char> bytes(size);
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgbBottomUp, stride, nullptr)) {
        error = std::string("cannot encode ") + file.path + ": " + image.message;
        return false;
    }
    return writeOutput(file, bytes.data(), size, error);
}
