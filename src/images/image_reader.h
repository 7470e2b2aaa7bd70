#pragma once

// Our JPEG reader takes every image the scene library reads, in the window
// as in pelmora-render and the model check, ahead of the readers of the
// viewer binding and of the library's own image library, so that a texture
// decodes to the same pixels everywhere. A file in JPEG or named as one is
// ours: decoded reduced (jpeg_file.h), or, when it cannot be used, left
// without pixels with one line on standard error per file. Other images, and
// names that do not open, are left to the other readers. A damaged JPEG that
// still decodes is drawn with one line that gives libjpeg's first warning.

// Registers the reader once; before the viewer binding starts, so that it
// comes first. Starts the scene database if it is not started yet.
void registerJpegReader();
