#include "png_file.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include <zlib.h>

namespace {

constexpr int rgbBytes = 3;

// PNG's filter type "none", which leads every row of the image data.
constexpr unsigned char noFilter = 0;

void appendBigEndian(std::vector<unsigned char>& bytes, std::uint32_t value)
{
    bytes.push_back(static_cast<unsigned char>(value >> 24));
    bytes.push_back(static_cast<unsigned char>(value >> 16));
    bytes.push_back(static_cast<unsigned char>(value >> 8));
    bytes.push_back(static_cast<unsigned char>(value));
}

// A chunk: length, type, data, and the CRC of type and data.
void appendChunk(std::vector<unsigned char>& file, const char* type, const std::vector<unsigned char>& data)
{
    appendBigEndian(file, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), file.data() + typeStart, static_cast<uInt>(4 + data.size()));
    appendBigEndian(file, static_cast<std::uint32_t>(crc));
}

}

bool writePng(const std::string& path, int width, int height, const unsigned char* rgbBottomUp)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width) * rgbBytes;
    std::vector<unsigned char> rows;
    rows.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = height - 1; y >= 0; --y) {
        const unsigned char* row = rgbBottomUp + static_cast<std::size_t>(y) * rowBytes;
        rows.push_back(noFilter);
        rows.insert(rows.end(), row, row + rowBytes);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION)
        != Z_OK) {
        return false;
    }
    packed.resize(packedSize);

    // Width, height, 8 bits per sample, colour type 2 (RGB), default compression, filtering, no interlace.
    std::vector<unsigned char> header;
    appendBigEndian(header, static_cast<std::uint32_t>(width));
    appendBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});

    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    appendChunk(file, "IHDR", header);
    appendChunk(file, "IDAT", packed);
    appendChunk(file, "IEND", {});

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}
