// pelmora-make-photo PATH WIDTH HEIGHT: writes a photo-like JPEG of that
// size, made here, for the benchmark of large textures: soft gradients under
// fine grain, at a camera's quality, so that it costs to decode what a
// camera's photo of its size does.

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

constexpr int cameraQuality = 92;

}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: pelmora-make-photo PATH WIDTH HEIGHT\n");
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr || width <= 0 || height <= 0) {
        std::fprintf(stderr, "pelmora-make-photo: cannot write %s\n", argv[1]);
        return 1;
    }
    jpeg_compress_struct encoder {};
    jpeg_error_mgr errors {};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    jpeg_stdio_dest(&encoder, file);
    encoder.image_width = static_cast<JDIMENSION>(width);
    encoder.image_height = static_cast<JDIMENSION>(height);
    encoder.input_components = 3;
    encoder.in_color_space = JCS_RGB;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, cameraQuality, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    JSAMPROW rows[] = {row.data()};
    unsigned grain = 12345u;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int noise = static_cast<int>(grain >> 28) - 8;
            row[3 * x] = static_cast<JSAMPLE>(40 + 160 * x / width + noise);
            row[3 * x + 1] = static_cast<JSAMPLE>(60 + 120 * y / height + noise);
            row[3 * x + 2] = static_cast<JSAMPLE>(90 + 80 * ((x + y) % 512) / 512 + noise);
        }
        jpeg_write_scanlines(&encoder, rows, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    return std::fclose(file) == 0 ? 0 : 1;
}
