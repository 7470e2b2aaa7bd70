#include "support/made_jpeg.h"

#include <cstdlib>
#include <vector>

std::string flatJpeg(int width, int height, Rgb colour, J_COLOR_SPACE stored, bool progressive,
                     const std::vector<JSAMPLE>& picture, const std::string& app1)
{
    const bool inks = stored == JCS_CMYK || stored == JCS_YCCK;
    const int components = inks ? 4 : stored == JCS_GRAYSCALE ? 1 : 3;
    // Adobe's inverted inks: the colour's own levels, and no black.
    const JSAMPLE samples[] = {colour.red, colour.green, colour.blue, 255};
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * components);
    for (std::size_t n = 0; n < row.size(); ++n) {
        row[n] = samples[n % components];
    }
    jpeg_compress_struct encoder {};
    jpeg_error_mgr errors {};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &bytes, &size);
    encoder.image_width = static_cast<JDIMENSION>(width);
    encoder.image_height = static_cast<JDIMENSION>(height);
    encoder.input_components = components;
    encoder.in_color_space = inks ? JCS_CMYK : stored == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&encoder);
    jpeg_set_colorspace(&encoder, stored);
    if (progressive) {
        jpeg_simple_progression(&encoder);
    }
    jpeg_start_compress(&encoder, TRUE);
    if (!app1.empty()) {
        jpeg_write_marker(&encoder, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(app1.data()), static_cast<unsigned>(app1.size()));
    }
    for (int y = 0; y < height; ++y) {
        JSAMPROW rows[] = {picture.empty() ? row.data() : const_cast<JSAMPLE*>(picture.data()) + y * row.size()};
        jpeg_write_scanlines(&encoder, rows, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    std::string made(reinterpret_cast<const char*>(bytes), size);
    std::free(bytes);
    return made;
}

std::string exifBlock(unsigned orientation, bool bigEndian)
{
    // "Exif", the TIFF header (byte order, 42, the first directory at 8), a directory of one entry (the
    // orientation tag, a SHORT, one of them, its value) and no next directory.
    std::string block = bigEndian ? std::string("Exif\0\0" "MM\0*" "\0\0\0\x08" "\0\x01" "\x01\x12" "\0\x03" "\0\0\0\x01" "\0?\0\0" "\0\0\0\0", 32)
                                  : std::string("Exif\0\0" "II*\0" "\x08\0\0\0" "\x01\0" "\x12\x01" "\x03\0" "\x01\0\0\0" "?\0\0\0" "\0\0\0\0", 32);
    block[bigEndian ? 25 : 24] = static_cast<char>(orientation);
    return block;
}
