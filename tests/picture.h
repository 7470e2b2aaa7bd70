#pragma once

#include <string>
#include <vector>

// A rectangle of pixels, columns left ... right and rows top ... bottom, all included.
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// An RGB picture with rows from the top down, as a person sees it.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Reads a picture file; false when it cannot be read or has no RGB pixels.
bool readPicture(const std::string& path, Picture& picture);

struct MeanColour {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
};

MeanColour meanColour(const Picture& picture, const PixelBox& box);

// Pixels inside the box whose colours are not exactly alike in the two pictures.
int differingPixels(const Picture& one, const Picture& other, const PixelBox& box);

// The whole picture as a box.
PixelBox wholePicture(const Picture& picture);
