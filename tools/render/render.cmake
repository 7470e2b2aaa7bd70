# The picture renderer: one pelmora-render-SIZE per build, compiled from the
# same source against that build's core, and pelmora-render in front of them.

find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
find_package(ZLIB REQUIRED)

set(PELMORA_RENDER_OPTION_SOURCES tools/render/render_options.cpp tools/render/tick_list.cpp)
set(PELMORA_RENDER_SOURCES
  tools/render/render_main.cpp
  tools/render/frame_files.cpp
  tools/render/gif_animation.cpp
  tools/render/offscreen_context.cpp
  tools/render/png_file.cpp
  tools/render/viewer_view.cpp
  ${PELMORA_RENDER_OPTION_SOURCES}
)

add_executable(pelmora-render tools/render/front_door.cpp ${PELMORA_RENDER_OPTION_SOURCES})
target_compile_definitions(pelmora-render PRIVATE PELMORA_RENDER_DATA_DIR="${PELMORA_DATA_DIR}")

function(pelmora_render_build size core)
  set(renderer pelmora-render-${size})
  add_executable(${renderer} ${PELMORA_RENDER_SOURCES})
  target_compile_definitions(${renderer} PRIVATE PELMORA_RENDER_DATA_DIR="${PELMORA_DATA_DIR}")
  target_link_libraries(${renderer} PRIVATE ${core} X11::X11 OpenGL::GL OpenGL::GLX ZLIB::ZLIB)
  add_dependencies(pelmora-render ${renderer})
endfunction()
