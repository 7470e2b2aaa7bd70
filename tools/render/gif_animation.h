#pragma once

#include <string>
#include <vector>

// Pause between two frames of the animation, in hundredths of a second.
constexpr int gifFrameDelay = 20;

// Joins the pictures, in order, into one looping animated GIF with
// ImageMagick's convert. On a fault returns false and says why in error.
bool writeGifAnimation(const std::vector<std::string>& frames, const std::string& gif, std::string& error);
