# The picture renderer: one pelmora-render-SIZE per build, compiled from the
# same source against that build's core, and pelmora-render in front of them.

find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
find_package(PkgConfig REQUIRED)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil libswscale)

# Installed, the front door is in bin/ and the renderers in libexec/pelmora/;
# each finds the data folder share/pelmora/ from its own place.
set(PELMORA_RENDER_LIBEXEC ${CMAKE_INSTALL_LIBEXECDIR}/pelmora)
file(RELATIVE_PATH PELMORA_RENDER_INSTALLED_RENDERERS /${CMAKE_INSTALL_BINDIR} /${PELMORA_RENDER_LIBEXEC})
file(RELATIVE_PATH PELMORA_RENDER_DATA_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_DATADIR}/pelmora)
file(RELATIVE_PATH PELMORA_RENDER_DATA_FROM_LIBEXEC /${PELMORA_RENDER_LIBEXEC} /${CMAKE_INSTALL_DATADIR}/pelmora)

# What does not depend on the grid size, compiled once: the options, which
# the front door checks too, and the making of pictures and animations.
add_library(pelmora-render-options STATIC tools/render/render_options.cpp tools/render/tick_list.cpp)
target_include_directories(pelmora-render-options PUBLIC tools/render)
target_link_libraries(pelmora-render-options PUBLIC pelmora-common)
add_library(pelmora-render-pictures STATIC
  tools/render/animation.cpp
  tools/render/frame_files.cpp
  tools/render/offscreen_picture.cpp
  tools/render/output_file.cpp
  tools/render/png_file.cpp
  tools/render/viewer_view.cpp
)
target_include_directories(pelmora-render-pictures PUBLIC tools/render)
target_link_libraries(pelmora-render-pictures PUBLIC pelmora-common OpenGL::OpenGL OpenGL::EGL PkgConfig::PNG
  PkgConfig::FFMPEG)

add_executable(pelmora-render tools/render/front_door.cpp)
target_link_libraries(pelmora-render PRIVATE pelmora-render-options)
target_compile_definitions(pelmora-render PRIVATE PELMORA_RENDER_DATA_DIR="${PELMORA_DATA_DIR}"
  PELMORA_RENDER_INSTALLED_DATA="${PELMORA_RENDER_DATA_FROM_BIN}"
  PELMORA_RENDER_INSTALLED_RENDERERS="${PELMORA_RENDER_INSTALLED_RENDERERS}")
install(TARGETS pelmora-render DESTINATION ${CMAKE_INSTALL_BINDIR})

function(pelmora_render_build size core)
  set(renderer pelmora-render-${size})
  add_executable(${renderer} tools/render/render_main.cpp)
  target_compile_definitions(${renderer} PRIVATE PELMORA_RENDER_DATA_DIR="${PELMORA_DATA_DIR}"
    PELMORA_RENDER_INSTALLED_DATA="${PELMORA_RENDER_DATA_FROM_LIBEXEC}")
  target_link_libraries(${renderer} PRIVATE ${core} pelmora-render-options pelmora-render-pictures)
  add_dependencies(pelmora-render ${renderer})
  install(TARGETS ${renderer} DESTINATION ${PELMORA_RENDER_LIBEXEC})
endfunction()
