#include "support/made_jpeg.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int quality = 92;

// Writes rows from a function that fills one row of samples at a time.
template <typename FillRow>
void compress(jpeg_compress_struct& encoder, int width, int height, J_COLOR_SPACE input, int components,
              J_COLOR_SPACE stored, bool progressive, FillRow fillRow)
{
    encoder.image_width = static_cast<JDIMENSION>(width);
    encoder.image_height = static_cast<JDIMENSION>(height);
    encoder.input_components = components;
    encoder.in_color_space = input;
    jpeg_set_defaults(&encoder);
    jpeg_set_colorspace(&encoder, stored);
    jpeg_set_quality(&encoder, quality, TRUE);
    if (progressive) {
        jpeg_simple_progression(&encoder);
    }
    jpeg_start_compress(&encoder, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * components);
    JSAMPROW rows[] = {row.data()};
    for (int y = 0; y < height; ++y) {
        fillRow(y, row.data());
        jpeg_write_scanlines(&encoder, rows, 1);
    }
    jpeg_finish_compress(&encoder);
}

}

std::string flatJpeg(int width, int height, Rgb colour, J_COLOR_SPACE stored, bool progressive)
{
    const bool inks = stored == JCS_CMYK || stored == JCS_YCCK;
    const bool grey = stored == JCS_GRAYSCALE;
    const int components = inks ? 4 : grey ? 1 : 3;
    // Adobe's inverted inks: the colour's own levels, and no black.
    const JSAMPLE samples[] = {colour.red, colour.green, colour.blue, 255};
    jpeg_compress_struct encoder {};
    jpeg_error_mgr errors {};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &bytes, &size);
    compress(encoder, width, height, inks ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_RGB, components, stored, progressive,
             [&](int, JSAMPLE* row) {
                 for (int x = 0; x < width * components; ++x) {
                     row[x] = samples[x % components];
                 }
             });
    jpeg_destroy_compress(&encoder);
    std::string made(reinterpret_cast<const char*>(bytes), size);
    std::free(bytes);
    return made;
}

bool writePhotoLikeJpeg(const std::string& path, int width, int height)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    jpeg_compress_struct encoder {};
    jpeg_error_mgr errors {};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    jpeg_stdio_dest(&encoder, file);
    unsigned grain = 12345u;
    compress(encoder, width, height, JCS_RGB, 3, JCS_YCbCr, false, [&](int y, JSAMPLE* row) {
        for (int x = 0; x < width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int noise = static_cast<int>(grain >> 28) - 8;
            row[3 * x] = static_cast<JSAMPLE>(40 + 160 * x / width + noise);
            row[3 * x + 1] = static_cast<JSAMPLE>(60 + 120 * y / height + noise);
            row[3 * x + 2] = static_cast<JSAMPLE>(90 + 80 * ((x + y) % 512) / 512 + noise);
        }
    });
    jpeg_destroy_compress(&encoder);
    return std::fclose(file) == 0;
}
