#pragma once

#include <memory>
#include <string>

// An animation being encoded by FFmpeg's libraries into an output file that
// gets its name when finished.
struct Animation;

// Frees an animation and all it holds; one that was never finished never gets its name.
struct AnimationRelease {
    void operator()(Animation* animation) const;
};
using AnimationOwner = std::unique_ptr<Animation, AnimationRelease>;

// Opens the file and starts the container named by format: "webm" for VP9,
// "mp4" for H.264 (even sides only) or "gif" for a looping GIF, at the given
// frames a second. Null, saying why in error, when it cannot.
AnimationOwner startAnimation(const std::string& path, const std::string& format, int width, int height, int rate,
                              std::string& error);

// Adds one picture, RGB with rows from the bottom up, as the next frame.
bool addAnimationFrame(Animation& animation, const unsigned char* rgbBottomUp, std::string& error);

// Adds the next frame band by band, so that no whole RGB picture need be held:
// rows from top (counted from the picture's top) on, RGB with rows from the
// bottom up, the bands given from the top of the picture down; the band that
// ends at the last row sends the frame.
bool addAnimationRows(Animation& animation, const unsigned char* rgbBottomUp, int top, int rows, std::string& error);

// Writes the frames still held by the encoder and the container's end, then names the file.
bool finishAnimation(Animation& animation, std::string& error);
