#pragma once

// JPEGs made at test time through libjpeg, of any size and in the colour
// spaces that cameras and image programs write.

#include <string>

#include <jpeglib.h>

struct Rgb {
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

// A JPEG of one colour stored as RGB (YCbCr), grey (the red level), or as
// Adobe's inverted CMYK or YCCK, with the Adobe marker libjpeg writes for those.
// Progressive, it is sent in several scans, so its reader keeps all of it.
std::string flatJpeg(int width, int height, Rgb colour, J_COLOR_SPACE stored, bool progressive = false);

// A photo-like JPEG written to path: soft gradients under fine grain, so
// that it costs to decode what a camera's photo of its size does.
bool writePhotoLikeJpeg(const std::string& path, int width, int height);
