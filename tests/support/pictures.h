#pragma once

// Test support for pictures: files the renderer wrote, grabs of windows, and
// what a test reads off them.

#include <string>
#include <vector>

// An RGB picture with rows from the top down, as a person sees it.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// A rectangle of pixels, columns left ... right and rows top ... bottom, all included.
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct MeanColour {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
};

// Reads a picture file (a binary PPM when named .ppm); false when it cannot be
// read or has no RGB pixels.
bool readPicture(const std::string& path, Picture& picture);

// Writes a picture as a binary PPM file, for a person to look at when a test fails.
void writePicture(const std::string& path, const Picture& picture);

// The whole picture as a box.
PixelBox wholePicture(const Picture& picture);

MeanColour meanColour(const Picture& picture, const PixelBox& box);

// Pixels inside the box whose colours are not exactly alike in the two
// pictures; -1 when the pictures differ in size.
long differingPixels(const Picture& one, const Picture& other, const PixelBox& box);

// Share of a picture's pixels that are clearly water blue: blue well above red.
double blueShare(const Picture& picture);

// "rgb(r, g, b)", for failure messages.
std::string describe(const MeanColour& colour);
