#pragma once

// The pool's icon, the menu entry's PNG files at the sizes a window shows,
// built into the programs so that their window carries it wherever they run.
struct IconImage {
    const unsigned char* bytes;
    unsigned size;
};
extern const IconImage poolIconImages[];
extern const int poolIconImageCount;
