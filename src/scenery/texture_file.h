#pragma once

#include <string>

class SoTexture2;

// Longest side of a texture image that is taken: a camera photo fits, while a
// larger image, or a header that lies about its size, would cost gigabytes.
constexpr unsigned largestTextureSide = 8192;

// Why the file cannot be handed to the scene library as a texture, found from
// its JPEG header alone; empty when it can be, or when it is missing.
std::string textureFileProblem(const char* path);

// Names the texture's file, or, when the file cannot be used, leaves the
// texture without one, as a missing file would, and says so on standard error.
void setTextureFile(SoTexture2* texture, const char* path);
