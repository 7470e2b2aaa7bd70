#pragma once

// JPEGs made at test time through libjpeg, in the colour spaces that cameras
// and image programs write.

#include <string>
#include <vector>

#include <jpeglib.h>

struct Rgb {
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

// A JPEG of one colour stored as RGB (YCbCr), grey (the red level), or as
// Adobe's inverted CMYK or YCCK, with the Adobe marker libjpeg writes for
// those; progressive, it comes in several scans and its reader keeps it whole.
// With a picture, its samples row by row from the top in place of the colour,
// and with an APP1 block when there is one.
std::string flatJpeg(int width, int height, Rgb colour, J_COLOR_SPACE stored, bool progressive = false,
                     const std::vector<JSAMPLE>& picture = {}, const std::string& app1 = {});

// An Exif APP1 block whose first directory holds only the orientation.
std::string exifBlock(unsigned orientation, bool bigEndian);
