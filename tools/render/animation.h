#pragma once

#include <string>

#include "output_file.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// An animation being encoded by FFmpeg's libraries into an output file that
// gets its name when finished.
struct Animation {
    OutputFile file;
    AVFormatContext* container = nullptr;
    AVCodecContext* encoder = nullptr;
    SwsContext* converter = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    long long frames = 0;
    bool trailerDue = false;   // the header is out and the trailer not yet
    int width = 0;
    int height = 0;
};

// Opens the file and starts the container named by format: "webm" for VP9,
// "mp4" for H.264 (even sides only) or "gif" for a looping GIF, at the given
// frames a second.
bool startAnimation(const std::string& path, const std::string& format, int width, int height, int rate,
                    Animation& animation, std::string& error);

// Adds one picture, RGB with rows from the bottom up, as the next frame.
bool addAnimationFrame(Animation& animation, const unsigned char* rgbBottomUp, std::string& error);

// Writes the frames still held by the encoder and the container's end, then names the file.
bool finishAnimation(Animation& animation, std::string& error);

// Frees everything; an unfinished file never gets its name.
void dropAnimation(Animation& animation);
