#pragma once

// A texture the scene library must bring to a power of two (the caustic
// image, a model's odd-sized pictures) is scaled by us, bilinearly, texel
// centre to texel centre. Left to the library, the scaler depends on what it
// finds at run time: the image library's filter on Debian, GLU's on Windows,
// its own nearest texel elsewhere; the pool would not look the same wherever
// it runs. Volume textures stay with the library.

// Registers our scaler with the scene library; once is enough, again is harmless.
void scaleTexturesOurselves();
