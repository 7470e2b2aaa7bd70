# How the programs meet a Debian system: hardened binaries, manual pages, the
# desktop entry, icons and AppStream metainfo, the copyright file and the
# changelog, and the .deb that carries them (cpack -G DEB).

set(PELMORA_APP_ID invalid.pelmora.Pelmora)

# Hardening as Debian builds its packages: fortified libc calls (they need the
# optimiser, so not in Debug builds or beside the sanitizers), stack
# protection, read-only relocations bound at start-up, and position
# independent executables.
add_compile_options($<$<NOT:$<CONFIG:Debug,Sanitize>>:-D_FORTIFY_SOURCE=2>)
add_compile_options(-fstack-protector-strong)
add_link_options(LINKER:-z,relro LINKER:-z,now)
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)

set(packaging ${CMAKE_SOURCE_DIR}/packaging)
set(packaged ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${packaged})

# Manual pages: scdoc turns each source into roff, gzip -9n compresses it
# without a time stamp, so that the same source gives the same bytes.
set(PELMORA_MAN_PAGES pelmora.1 pelmora-render.1)
set(manPages)
foreach(page IN LISTS PELMORA_MAN_PAGES)
  add_custom_command(OUTPUT ${packaged}/${page}.gz
    COMMAND ${SCDOC} < ${packaging}/man/${page}.scd > ${packaged}/${page}
    COMMAND ${GZIP} -9nf ${packaged}/${page}
    DEPENDS ${packaging}/man/${page}.scd
    COMMENT "Manual page ${page}"
    VERBATIM)
  list(APPEND manPages ${packaged}/${page}.gz)
endforeach()

# Debian's changelog of this native package, compressed the same way.
add_custom_command(OUTPUT ${packaged}/changelog.gz
  COMMAND ${GZIP} -9nc ${packaging}/changelog > ${packaged}/changelog.gz
  DEPENDS ${packaging}/changelog
  VERBATIM)
add_custom_target(pelmora-packaging ALL DEPENDS ${manPages} ${packaged}/changelog.gz)

install(FILES ${manPages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# One page for the three programs.
foreach(size 25 50 100)
  file(CREATE_LINK pelmora.1.gz ${packaged}/pelmora-${size}.1.gz SYMBOLIC)
  install(FILES ${packaged}/pelmora-${size}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The icon built into the programs, for their window: the PNG files of the
# sizes a window manager shows, as byte arrays. Written only when they change.
set(PELMORA_WINDOW_ICON_SIDES 16 24 32 48 64 128)
set(PELMORA_WINDOW_ICON_SOURCE ${CMAKE_BINARY_DIR}/generated/pool_icon.cpp)
set(iconArrays "")
set(iconTable "")
foreach(side IN LISTS PELMORA_WINDOW_ICON_SIDES)
  set(png ${packaging}/icons/${side}x${side}/${PELMORA_APP_ID}.png)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${png})
  file(READ ${png} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND iconArrays "const unsigned char icon${side}[] = {${bytes}};\n")
  string(APPEND iconTable "    {icon${side}, sizeof icon${side}},\n")
endforeach()
list(LENGTH PELMORA_WINDOW_ICON_SIDES iconCount)
file(GENERATE OUTPUT ${PELMORA_WINDOW_ICON_SOURCE} CONTENT "// Made by packaging/packaging.cmake from packaging/icons.
#include \"binding/qt/pool_icon.h\"

namespace {
${iconArrays}}

const IconImage poolIconImages[] = {
${iconTable}};
const int poolIconImageCount = ${iconCount};
")

install(FILES ${packaging}/${PELMORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${PELMORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(side 16 22 24 32 48 64 128 256 512)
  install(FILES ${packaging}/icons/${side}x${side}/${PELMORA_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps)
endforeach()
install(FILES ${packaging}/copyright ${packaged}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelmora)

# Installing and packaging take what has been built (the programs and
# pelmora-packaging) instead of building every test and benchmark first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VENDOR "Pelmora")
set(CPACK_PACKAGE_CONTACT "Pelmora developers <developers@pelmora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "waves on a small pool of water, live in a 3D viewer")
# The extended description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pelmora simulates waves on a small square pool in real time and shows them in
a 3D examiner viewer that can be turned, moved and zoomed with the mouse.
A height field follows a damped wave equation, random drops disturb it, and a
caustic light pattern on a slab below the translucent water follows the waves.

Three programs show the same pool at three grid sizes: pelmora-25 (with walls,
floor slabs, a rail, a warm spot light and a small sculpture), pelmora-50
(without the sculpture) and pelmora-100 (the bare pool). pelmora-render
writes PNG pictures, videos and GIF animations of the running pool without
opening a window or needing an X server.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://pelmora.invalid/)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no library link shows them: the scene library's
# image library for a model's PNG and GIF textures (our own reader takes the
# JPEGs), Mesa's GL driver, and Qt's X platform plugin (in libqt5gui5).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsimage20, libgl1-mesa-dri, libqt5gui5 (>= 5.15)")
include(CPack)
