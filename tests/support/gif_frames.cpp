#include "support/gif_frames.h"

#include <cstddef>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr std::size_t headerBytes = 6;
constexpr std::size_t screenDescriptorBytes = 7;
constexpr std::size_t imageDescriptorBytes = 9;
constexpr unsigned char extensionBlock = 0x21;
constexpr unsigned char imageBlock = 0x2c;
constexpr unsigned char trailer = 0x3b;
constexpr unsigned char colourTableFlag = 0x80;

// Bytes of the colour table that a packed field announces.
std::size_t colourTableBytes(unsigned char packed)
{
    if ((packed & colourTableFlag) == 0) {
        return 0;
    }
    return 3u << ((packed & 7) + 1);
}

// Steps over a run of data sub-blocks and its closing zero; false past the end.
bool skipSubBlocks(const std::vector<unsigned char>& bytes, std::size_t& at)
{
    while (at < bytes.size()) {
        const std::size_t size = bytes[at];
        ++at;
        if (size == 0) {
            return true;
        }
        at += size;
    }
    return false;
}

}

int gifFrameCount(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() < headerBytes + screenDescriptorBytes || bytes[0] != 'G' || bytes[1] != 'I' || bytes[2] != 'F') {
        return -1;
    }
    std::size_t at = headerBytes + screenDescriptorBytes + colourTableBytes(bytes[headerBytes + 4]);
    int frames = 0;
    while (at < bytes.size()) {
        const unsigned char block = bytes[at];
        if (block == trailer) {
            return frames;
        }
        if (block == extensionBlock) {
            at += 2;
        } else if (block == imageBlock) {
            if (at + 1 + imageDescriptorBytes > bytes.size()) {
                return -1;
            }
            at += 1 + imageDescriptorBytes + colourTableBytes(bytes[at + imageDescriptorBytes]) + 1;
            ++frames;
        } else {
            return -1;
        }
        if (!skipSubBlocks(bytes, at)) {
            return -1;
        }
    }
    return -1;
}
