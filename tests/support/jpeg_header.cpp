#include "support/jpeg_header.h"

#include <fstream>
#include <sstream>

std::string jpegClaiming(const std::string& source, unsigned width, unsigned height)
{
    std::ifstream in(source, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    std::string bytes = content.str();
    // Segments follow the start marker, each a marker and a big-endian length;
    // a start-of-frame segment (C0 to CF but C4, C8, CC) holds the precision,
    // then the height and the width.
    std::size_t at = 2;
    while (at + 9 < bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xFF) {
        const unsigned marker = static_cast<unsigned char>(bytes[at + 1]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            bytes[at + 5] = static_cast<char>(height >> 8);
            bytes[at + 6] = static_cast<char>(height & 0xFF);
            bytes[at + 7] = static_cast<char>(width >> 8);
            bytes[at + 8] = static_cast<char>(width & 0xFF);
            return bytes;
        }
        at += 2 + (static_cast<unsigned char>(bytes[at + 2]) << 8 | static_cast<unsigned char>(bytes[at + 3]));
    }
    return {};
}
