#pragma once

// Switches of the libraries the programs stand on, set through the
// environment variables the libraries read, each named here once with the
// reason for it. Set before the library first reads them.

// The caustic image is N x N texels, not a power of two. Coin 4.0.0 scales
// such an image to a power of two before drawing it; later releases draw it
// as it is, which shows its texels as hard blocks. Scaled on every release,
// the pool looks the same wherever it runs.
void scaleTexturesToPowersOfTwo();

// The scene library loads its image library at run time, for a model's PNG
// and GIF textures; by its versioned name, it is found without its
// development package. One set by the user stays.
void loadImageLibraryByVersionedName();

// Coin, built for X11, sees only a current GLX context and offers no public
// way to be told of another; a Coin built with assertions stops when it sees
// none. This switch of Coin's, named in that assertion, lets it draw with
// pelmora-render's EGL context.
void letCoinDrawWithoutGlx();

// Qt's Wayland platform never paints the viewer's GL area; its X platform,
// through the session's XWayland, does.
void askQtForItsXPlatform();
