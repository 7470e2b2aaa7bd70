// pelmora-make-photo PATH WIDTH HEIGHT: writes a photo-like JPEG of that
// size, made here, for the benchmark of large textures.

#include <cstdio>
#include <cstdlib>

#include "support/made_jpeg.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: pelmora-make-photo PATH WIDTH HEIGHT\n");
        return 2;
    }
    if (!writePhotoLikeJpeg(argv[1], std::atoi(argv[2]), std::atoi(argv[3]))) {
        std::fprintf(stderr, "pelmora-make-photo: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
