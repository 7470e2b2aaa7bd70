#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Longest side of a JPEG that is read at all: the 16320 x 12240 of a
// 200-megapixel phone camera fits, and reduced by eight at decoding, the
// most libjpeg reduces, the largest image decodes to 2048 per side, 12 MB,
// on its way to a texture.
constexpr unsigned largestJpegSide = 16384;

// Longest side of a texture made from a larger image: in the viewer's
// window a texture covers a few hundred pixels, a full-screen one at most
// about a thousand, so a larger texture only costs the GL memory and time.
constexpr unsigned largestTextureSide = 1024;

// What libjpeg may take for one image beside its output: a progressive image
// keeps all its coefficients, two bytes a sample, so a 8000 x 6000 photo
// needs 144 MB; one that needs more is refused rather than half read.
constexpr long largestJpegWorkingBytes = 256L * 1024 * 1024;

struct JpegPicture {
    unsigned width = 0;
    unsigned height = 0;
    int components = 0;                 // 1 for grey, 3 for RGB
    std::vector<unsigned char> pixels;  // the bottom row first, as the scene library keeps images
    std::string warning;                // libjpeg's first warning of damaged data that were read as far as they go
    std::string problem;                // why there are no pixels; empty when there are
};

// Whether the bytes begin as every JPEG does.
bool looksLikeJpeg(const unsigned char* bytes, std::size_t size);

// Decodes the JPEG from the file's current place, in RGB or grey, CMYK and
// YCCK converted. An image with a side past largestTextureSide becomes a
// texture of power-of-two sides within it, each the largest within the
// image's: decoded reduced by libjpeg's scaling, by the least of 1/8 ... 8/8
// that keeps it at least that large, then each texel the mean of the pixels
// it covers. The size check reads the header that the decoding goes on from.
// Damaged data past the header decode as libjpeg fills them, with its first
// warning kept; a file of headers whose scan holds no data at all is refused.
// A camera's picture stands as its Exif orientation says, the same eight
// ways that image viewers turn it.
JpegPicture readJpegFile(std::FILE* file);
