#pragma once

// The animation formats, as --format names them and a file name ends:
// WebM (VP9), MP4 (H.264) and a looping GIF.
constexpr const char* animationFormats[] = {"webm", "mp4", "gif"};
