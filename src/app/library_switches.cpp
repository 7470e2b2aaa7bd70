#include "app/library_switches.h"

#include "platform/process.h"

void scaleTexturesToPowersOfTwo()
{
    setVariable("COIN_GLGLUE_DISABLE_NON_POWER_OF_TWO_TEXTURES", "1");
}

void loadImageLibraryByVersionedName()
{
    setVariable("COIN_SIMAGE_LIBNAME", "libsimage.so.20", true);
}

void letCoinDrawWithoutGlx()
{
    setVariable("COIN_GL_NO_CURRENT_CONTEXT_CHECK", "1");
}

void askQtForItsXPlatform()
{
    setVariable("QT_QPA_PLATFORM", "xcb");
}
