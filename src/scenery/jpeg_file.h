#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Longest side of a JPEG that is read at all: the 16320 x 12240 of a
// 200-megapixel phone camera fits, and reduced by eight at decoding, the
// most libjpeg reduces, such an image is no larger than a texture may be.
constexpr unsigned largestJpegSide = 16384;

// Longest side of a decoded texture: a window as wide as this shows every
// texel, and the scene never shows a texture larger than its window.
constexpr unsigned largestTextureSide = 2048;

// What libjpeg may take for one image beside its output: a progressive image
// keeps all its coefficients, two bytes a sample, so a 8000 x 6000 photo
// needs 144 MB; one that needs more is refused rather than half read.
constexpr long largestJpegWorkingBytes = 256L * 1024 * 1024;

struct JpegPicture {
    unsigned width = 0;
    unsigned height = 0;
    int components = 0;                 // 1 for grey, 3 for RGB
    std::vector<unsigned char> pixels;  // the bottom row first, as the scene library keeps images
    std::string problem;                // why there are no pixels; empty when there are
};

// Whether the bytes begin as every JPEG does.
bool looksLikeJpeg(const unsigned char* bytes, std::size_t size);

// Decodes the JPEG from the file's current place: reduced by libjpeg's
// scaling, by the least of 1/8 ... 8/8 that brings each side within
// largestTextureSide, and in RGB or grey, CMYK and YCCK converted. The size
// check reads the header that the decoding goes on from. Damaged data past
// the header decode as libjpeg fills them, without a word.
JpegPicture readJpegFile(std::FILE* file);
