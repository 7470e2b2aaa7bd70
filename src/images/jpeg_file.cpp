#include "images/jpeg_file.h"

#include <algorithm>
#include <csetjmp>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg ends the process on an error unless the error handler leaves by a jump.
struct DecodingErrors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

constexpr unsigned largestScale = 8;
constexpr unsigned fullLevel = 255;

void leaveOnError(j_common_ptr decoder)
{
    auto* errors = reinterpret_cast<DecodingErrors*>(decoder->err);
    decoder->err->format_message(decoder, errors->message);
    std::longjmp(errors->escape, 1);
}

// Warnings about damaged data are no reason to refuse what can be shown.
void stayQuiet(j_common_ptr) {}

// The side of a texture made from an image side larger than a texture's:
// a power of two, which the scene library would otherwise make it in a far
// slower filter of its own, and no larger than the image side.
unsigned textureSide(unsigned imageSide)
{
    unsigned side = largestTextureSide;
    while (side > imageSide) {
        side /= 2;
    }
    return side;
}

// The least of 1/8 ... 8/8 that keeps both sides at least the texture's.
void chooseScale(jpeg_decompress_struct& decoder, unsigned width, unsigned height)
{
    decoder.scale_denom = largestScale;
    for (unsigned scale = 1; scale <= largestScale; ++scale) {
        decoder.scale_num = scale;
        jpeg_calc_output_dimensions(&decoder);
        if (decoder.output_width >= width && decoder.output_height >= height) {
            return;
        }
    }
}

// Each texel the mean of the decoded pixels it covers.
void shrink(JpegPicture& picture, unsigned width, unsigned height)
{
    const unsigned components = static_cast<unsigned>(picture.components);
    std::vector<unsigned char> shrunk(static_cast<std::size_t>(width) * height * components);
    unsigned char* texel = shrunk.data();
    for (unsigned y = 0; y < height; ++y) {
        const unsigned top = y * picture.height / height;
        const unsigned bottom = std::max(top + 1, (y + 1) * picture.height / height);
        for (unsigned x = 0; x < width; ++x) {
            const unsigned left = x * picture.width / width;
            const unsigned right = std::max(left + 1, (x + 1) * picture.width / width);
            const unsigned count = (bottom - top) * (right - left);
            for (unsigned channel = 0; channel < components; ++channel) {
                unsigned sum = 0;
                for (unsigned row = top; row < bottom; ++row) {
                    const unsigned char* pixel = picture.pixels.data() + (static_cast<std::size_t>(row) * picture.width + left) * components + channel;
                    for (unsigned column = left; column < right; ++column, pixel += components) {
                        sum += *pixel;
                    }
                }
                *texel++ = static_cast<unsigned char>((sum + count / 2) / count);
            }
        }
    }
    picture.pixels.swap(shrunk);
    picture.width = width;
    picture.height = height;
}

// Adobe's JPEGs keep ink inverted, 255 for none; others keep it as it is.
void cmykToRgb(const JSAMPLE* cmyk, unsigned width, bool inverted, unsigned char* rgb)
{
    for (unsigned x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const unsigned black = inverted ? cmyk[3] : fullLevel - cmyk[3];
        for (int channel = 0; channel < 3; ++channel) {
            const unsigned ink = inverted ? cmyk[channel] : fullLevel - cmyk[channel];
            rgb[channel] = static_cast<unsigned char>((ink * black + fullLevel / 2) / fullLevel);
        }
    }
}

void decode(jpeg_decompress_struct& decoder, JpegPicture& picture)
{
    jpeg_read_header(&decoder, TRUE);
    if (decoder.image_width > largestJpegSide || decoder.image_height > largestJpegSide) {
        picture.problem = "image of " + std::to_string(decoder.image_width) + " x " + std::to_string(decoder.image_height)
            + " pixels, more than " + std::to_string(largestJpegSide) + " per side";
        return;
    }
    const bool inks = decoder.jpeg_color_space == JCS_CMYK || decoder.jpeg_color_space == JCS_YCCK;
    decoder.out_color_space = inks ? JCS_CMYK : decoder.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    // Within a texture's side an image is decoded whole, as it is; past it,
    // reduced by libjpeg and then to a power-of-two texture.
    const bool reduced = decoder.image_width > largestTextureSide || decoder.image_height > largestTextureSide;
    const unsigned width = reduced ? textureSide(decoder.image_width) : decoder.image_width;
    const unsigned height = reduced ? textureSide(decoder.image_height) : decoder.image_height;
    if (reduced) {
        chooseScale(decoder, width, height);
    }
    jpeg_start_decompress(&decoder);
    picture.width = decoder.output_width;
    picture.height = decoder.output_height;
    picture.components = inks ? 3 : decoder.output_components;
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * picture.components;
    picture.pixels.resize(rowBytes * picture.height);
    // Freed with the decoder, also when an error jumps out of the loop.
    JSAMPARRAY scanline = (*decoder.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&decoder), JPOOL_IMAGE,
                                                        decoder.output_width * decoder.output_components, 1);
    while (decoder.output_scanline < decoder.output_height) {
        unsigned char* row = picture.pixels.data() + rowBytes * (picture.height - 1 - decoder.output_scanline);
        jpeg_read_scanlines(&decoder, scanline, 1);
        if (inks) {
            cmykToRgb(scanline[0], picture.width, decoder.saw_Adobe_marker, row);
        } else {
            std::copy(scanline[0], scanline[0] + rowBytes, row);
        }
    }
    jpeg_finish_decompress(&decoder);
    if (reduced) {
        shrink(picture, width, height);
    }
}

// The picture lives outside the function that sets the jump, so that what it
// holds is still defined after a jump.
void decodeInto(std::FILE* file, JpegPicture& picture)
{
    jpeg_decompress_struct decoder {};
    DecodingErrors errors {};
    decoder.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = leaveOnError;
    errors.manager.output_message = stayQuiet;
    if (setjmp(errors.escape) != 0) {
        const bool tooLarge = errors.manager.msg_code == JERR_NO_BACKING_STORE;
        jpeg_destroy_decompress(&decoder);
        picture = JpegPicture();
        picture.problem = tooLarge ? "needs more than " + std::to_string(largestJpegWorkingBytes >> 20) + " MB to decode"
                                   : std::string("not a JPEG image that can be decoded (") + errors.message + ")";
        return;
    }
    jpeg_create_decompress(&decoder);
    decoder.mem->max_memory_to_use = largestJpegWorkingBytes;
    jpeg_stdio_src(&decoder, file);
    decode(decoder, picture);
    jpeg_destroy_decompress(&decoder);
}

}

bool looksLikeJpeg(const unsigned char* bytes, std::size_t size)
{
    return size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

JpegPicture readJpegFile(std::FILE* file)
{
    JpegPicture picture;
    decodeInto(file, picture);
    return picture;
}
