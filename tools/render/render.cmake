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

set(PELMORA_RENDER_TEST_SOURCES
  tests/render_test.cpp
  tests/support/pool.cpp
  tests/support/gif_frames.cpp
  tests/support/render_view.cpp
  tools/render/viewer_view.cpp
)

add_executable(pelmora-render tools/render/front_door.cpp ${PELMORA_RENDER_OPTION_SOURCES})
target_compile_definitions(pelmora-render PRIVATE PELMORA_RENDER_DATA_DIR="${PELMORA_DATA_DIR}")

# The options are the same for every build: tested once.
add_executable(pelmora-render-option-tests tests/render_options_test.cpp ${PELMORA_RENDER_OPTION_SOURCES})
target_include_directories(pelmora-render-option-tests PRIVATE tools/render)
target_link_libraries(pelmora-render-option-tests PRIVATE GTest::gtest GTest::gtest_main)
gtest_discover_tests(pelmora-render-option-tests TEST_PREFIX "render/" PROPERTIES LABELS "unit")

function(pelmora_render_build size core)
  set(renderer pelmora-render-${size})
  add_executable(${renderer} ${PELMORA_RENDER_SOURCES})
  target_compile_definitions(${renderer} PRIVATE PELMORA_RENDER_DATA_DIR="${PELMORA_DATA_DIR}")
  target_link_libraries(${renderer} PRIVATE ${core} X11::X11 OpenGL::GL OpenGL::GLX ZLIB::ZLIB)
  add_dependencies(pelmora-render ${renderer})

  set(tests pelmora-render-tests-${size})
  add_executable(${tests} ${PELMORA_RENDER_TEST_SOURCES})
  target_include_directories(${tests} PRIVATE tests tools/render)
  target_compile_definitions(${tests} PRIVATE PELMORA_RENDER_PROGRAM="$<TARGET_FILE:pelmora-render>")
  target_link_libraries(${tests} PRIVATE ${core} pelmora-test-x GTest::gtest GTest::gtest_main)
  add_dependencies(${tests} pelmora-render)
  gtest_discover_tests(${tests} TEST_PREFIX "${size}/" WORKING_DIRECTORY ${PELMORA_DATA_DIR}
    PROPERTIES LABELS "gui" RUN_SERIAL TRUE)
endfunction()
