#include "images/jpeg_file.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg ends the process on an error unless the error handler leaves by a jump.
struct DecodingErrors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
    char firstWarning[JMSG_LENGTH_MAX];
};

constexpr unsigned largestScale = 8;
constexpr unsigned fullLevel = 255;

void leaveOnError(j_common_ptr decoder)
{
    auto* errors = reinterpret_cast<DecodingErrors*>(decoder->err);
    decoder->err->format_message(decoder, errors->message);
    std::longjmp(errors->escape, 1);
}

// Warnings about damaged data are no reason to refuse what can be shown, but
// the first is kept to be said. libjpeg passes on only the first warning, and
// trace messages not at all unless asked to.
void keepFirstWarning(j_common_ptr decoder)
{
    auto* errors = reinterpret_cast<DecodingErrors*>(decoder->err);
    if (errors->firstWarning[0] == '\0') {
        decoder->err->format_message(decoder, errors->firstWarning);
    }
}

// Right after the first scan's header stand its data, or, in a file of
// headers only, at once a marker or the end (where libjpeg's file source puts
// an end marker). A restart marker may stand before data. Only what the
// source holds is looked at, so a single byte left in it counts as data.
bool scanHoldsData(jpeg_decompress_struct& decoder)
{
    jpeg_source_mgr& source = *decoder.src;
    if (source.bytes_in_buffer == 0 && !source.fill_input_buffer(&decoder)) {
        return true;
    }
    if (source.bytes_in_buffer < 2 || source.next_input_byte[0] != 0xFF) {
        return true;
    }
    const unsigned next = source.next_input_byte[1];
    return next == 0 || (next >= JPEG_RST0 && next <= JPEG_RST0 + 7);
}

// How a camera's picture stands, from the orientation tag of its Exif block:
// 1 upright, 2 to 8 mirrored or turned as the Exif standard numbers them.
constexpr unsigned uprightOrientation = 1;
constexpr unsigned lastOrientation = 8;
constexpr int exifMarker = JPEG_APP0 + 1;
constexpr unsigned orientationTag = 0x0112;
constexpr unsigned shortType = 3;
constexpr std::size_t tiffHeaderBytes = 8;
constexpr std::size_t directoryEntryBytes = 12;
const unsigned char exifStart[] = {'E', 'x', 'i', 'f', 0, 0};

unsigned tiffNumber(const unsigned char* at, int bytes, bool bigEndian)
{
    unsigned number = 0;
    for (int n = 0; n < bytes; ++n) {
        number |= static_cast<unsigned>(at[bigEndian ? n : bytes - 1 - n]) << (8 * (bytes - 1 - n));
    }
    return number;
}

// The Exif block is a TIFF file: a byte order, 42, the place of the first
// directory, whose entries each hold a tag, a type, a count and a value.
// Every place is checked against the block's length.
unsigned orientationIn(const unsigned char* block, std::size_t length)
{
    if (length < sizeof exifStart + tiffHeaderBytes || std::memcmp(block, exifStart, sizeof exifStart) != 0) {
        return uprightOrientation;
    }
    const unsigned char* tiff = block + sizeof exifStart;
    const std::size_t size = length - sizeof exifStart;
    const bool bigEndian = tiff[0] == 'M' && tiff[1] == 'M';
    if (!(bigEndian || (tiff[0] == 'I' && tiff[1] == 'I')) || tiffNumber(tiff + 2, 2, bigEndian) != 42) {
        return uprightOrientation;
    }
    const std::size_t directory = tiffNumber(tiff + 4, 4, bigEndian);
    if (directory > size || size - directory < 2) {
        return uprightOrientation;
    }
    const std::size_t entries = tiffNumber(tiff + directory, 2, bigEndian);
    const std::size_t room = (size - directory - 2) / directoryEntryBytes;
    for (std::size_t n = 0; n < std::min(entries, room); ++n) {
        const unsigned char* entry = tiff + directory + 2 + n * directoryEntryBytes;
        if (tiffNumber(entry, 2, bigEndian) == orientationTag) {
            const unsigned value = tiffNumber(entry + 8, 2, bigEndian);
            const bool usable = tiffNumber(entry + 2, 2, bigEndian) == shortType && tiffNumber(entry + 4, 4, bigEndian) >= 1
                && value >= uprightOrientation && value <= lastOrientation;
            return usable ? value : uprightOrientation;
        }
    }
    return uprightOrientation;
}

unsigned exifOrientation(const jpeg_decompress_struct& decoder)
{
    for (jpeg_saved_marker_ptr marker = decoder.marker_list; marker != nullptr; marker = marker->next) {
        if (marker->marker == exifMarker && marker->data_length >= sizeof exifStart
            && std::memcmp(marker->data, exifStart, sizeof exifStart) == 0) {
            return orientationIn(marker->data, marker->data_length);
        }
    }
    return uprightOrientation;
}

// How the stored picture is read to stand upright: for each orientation,
// whether rows and columns trade places, then whether the columns and the
// rows are read from the far end.
struct Turn {
    bool transposed;
    bool columnsReversed;
    bool rowsReversed;
};

const Turn turns[lastOrientation + 1] = {
    {false, false, false}, {false, false, false}, {false, true, false}, {false, true, true}, {false, false, true},
    {true, false, false},  {true, false, true},   {true, true, true},   {true, true, false},
};

void standUpright(JpegPicture& picture, unsigned orientation)
{
    if (orientation == uprightOrientation) {
        return;
    }
    const Turn turn = turns[orientation];
    const unsigned width = turn.transposed ? picture.height : picture.width;
    const unsigned height = turn.transposed ? picture.width : picture.height;
    const std::size_t components = static_cast<std::size_t>(picture.components);
    std::vector<unsigned char> upright(picture.pixels.size());
    // Rows counted from the top here; both pictures keep the bottom row first.
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const unsigned across = turn.transposed ? y : x;
            const unsigned down = turn.transposed ? x : y;
            const unsigned column = turn.columnsReversed ? picture.width - 1 - across : across;
            const unsigned row = turn.rowsReversed ? picture.height - 1 - down : down;
            const unsigned char* from = picture.pixels.data() + (static_cast<std::size_t>(picture.height - 1 - row) * picture.width + column) * components;
            std::copy(from, from + components, upright.data() + (static_cast<std::size_t>(height - 1 - y) * width + x) * components);
        }
    }
    picture.pixels.swap(upright);
    picture.width = width;
    picture.height = height;
}

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
    jpeg_save_markers(&decoder, exifMarker, 0xFFFF);
    jpeg_read_header(&decoder, TRUE);
    if (decoder.image_width > largestJpegSide || decoder.image_height > largestJpegSide) {
        picture.problem = "image of " + std::to_string(decoder.image_width) + " x " + std::to_string(decoder.image_height)
            + " pixels, more than " + std::to_string(largestJpegSide) + " per side";
        return;
    }
    if (!scanHoldsData(decoder)) {
        picture.problem = "a JPEG of headers without image data";
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
    // Saved markers go with the image's memory when the decoding finishes.
    const unsigned orientation = exifOrientation(decoder);
    jpeg_finish_decompress(&decoder);
    if (reduced) {
        shrink(picture, width, height);
    }
    standUpright(picture, orientation);
}

// The picture lives outside the function that sets the jump, so that what it
// holds is still defined after a jump.
void decodeInto(std::FILE* file, JpegPicture& picture)
{
    jpeg_decompress_struct decoder {};
    DecodingErrors errors {};
    decoder.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = leaveOnError;
    errors.manager.output_message = keepFirstWarning;
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
    picture.warning = picture.problem.empty() ? errors.firstWarning : "";
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
