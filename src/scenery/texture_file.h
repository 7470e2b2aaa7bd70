#pragma once

class SoTexture2;

// Names the texture's file, which the scene library then reads through our
// JPEG reader (image_reader.h). What stands at the path and is not a regular
// file is never opened: the texture is left without a file, as a missing one
// would be, and one line on standard error says so.
void setTextureFile(SoTexture2* texture, const char* path);
