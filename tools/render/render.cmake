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

set(PELMORA_RENDER_OPTION_SOURCES tools/render/render_options.cpp tools/render/tick_list.cpp)
set(PELMORA_RENDER_SOURCES
  tools/render/render_main.cpp
  tools/render/animation.cpp
  tools/render/frame_files.cpp
  tools/render/offscreen_picture.cpp
  tools/render/output_file.cpp
  tools/render/png_file.cpp
  tools/render/viewer_view.cpp
  ${PELMORA_RENDER_OPTION_SOURCES}
)

set(PELMORA_RENDER_TEST_SOURCES
  tests/render_test.cpp
  tests/support/made_jpeg.cpp
  tests/support/pool.cpp
  tests/support/program_window.cpp
  tests/support/render_view.cpp
  tests/viewer_match_test.cpp
  tools/render/viewer_view.cpp
)

add_executable(pelmora-render tools/render/front_door.cpp ${PELMORA_RENDER_OPTION_SOURCES})
target_include_directories(pelmora-render PRIVATE tools/render)
target_compile_definitions(pelmora-render PRIVATE PELMORA_RENDER_DATA_DIR="${PELMORA_DATA_DIR}"
  PELMORA_RENDER_INSTALLED_DATA="${PELMORA_RENDER_DATA_FROM_BIN}"
  PELMORA_RENDER_INSTALLED_RENDERERS="${PELMORA_RENDER_INSTALLED_RENDERERS}")
install(TARGETS pelmora-render DESTINATION ${CMAKE_INSTALL_BINDIR})

# The options, and the requests refused for them, are the same for every
# build: tested once.
add_executable(pelmora-render-option-tests tests/render_options_test.cpp tests/render_request_test.cpp
  ${PELMORA_RENDER_OPTION_SOURCES})
target_include_directories(pelmora-render-option-tests PRIVATE tools/render)
target_compile_definitions(pelmora-render-option-tests PRIVATE PELMORA_RENDER_PROGRAM="$<TARGET_FILE:pelmora-render>")
target_link_libraries(pelmora-render-option-tests PRIVATE pelmora-test-x GTest::gtest GTest::gtest_main)
add_dependencies(pelmora-render-option-tests pelmora-render)
gtest_discover_tests(pelmora-render-option-tests TEST_PREFIX "render/" PROPERTIES LABELS "unit")

function(pelmora_render_build size core window)
  set(renderer pelmora-render-${size})
  add_executable(${renderer} ${PELMORA_RENDER_SOURCES})
  target_include_directories(${renderer} PRIVATE tools/render)
  target_compile_definitions(${renderer} PRIVATE PELMORA_RENDER_DATA_DIR="${PELMORA_DATA_DIR}"
    PELMORA_RENDER_INSTALLED_DATA="${PELMORA_RENDER_DATA_FROM_LIBEXEC}")
  target_link_libraries(${renderer} PRIVATE ${core} OpenGL::OpenGL OpenGL::EGL PkgConfig::PNG PkgConfig::FFMPEG)
  add_dependencies(pelmora-render ${renderer})
  install(TARGETS ${renderer} DESTINATION ${PELMORA_RENDER_LIBEXEC})

  # The program's start-up stopped at tick 300, to compare the live viewer with the renderer.
  set(harness pelmora-viewer-at-tick-${size})
  add_executable(${harness} tests/viewer_at_tick.cpp)
  target_link_libraries(${harness} PRIVATE ${window})

  set(tests pelmora-render-tests-${size})
  add_executable(${tests} ${PELMORA_RENDER_TEST_SOURCES})
  target_include_directories(${tests} PRIVATE tests tools/render)
  target_compile_definitions(${tests} PRIVATE PELMORA_RENDER_PROGRAM="$<TARGET_FILE:pelmora-render>"
    PELMORA_VIEWER_AT_TICK="$<TARGET_FILE:${harness}>" PELMORA_DATA_DIR="${PELMORA_DATA_DIR}"
    PELMORA_DOCS_DIR="${CMAKE_SOURCE_DIR}/docs")
  target_link_libraries(${tests} PRIVATE ${core} pelmora-test-x PkgConfig::FFMPEG GTest::gtest GTest::gtest_main)
  add_dependencies(${tests} pelmora-render ${harness})
  gtest_discover_tests(${tests} TEST_PREFIX "${size}/" WORKING_DIRECTORY ${PELMORA_DATA_DIR}
    PROPERTIES LABELS "render")
endfunction()
