# The tests of every build: unit tests without a window, GUI tests that share
# one virtual X server per test program, and the memory check of the program.
# On Windows, the unit tests alone.
find_package(GTest REQUIRED)
include(GoogleTest)
# Tests are listed when ctest runs, from the binaries of the configuration it
# runs: a list written at build time would be one for both configurations,
# naming the binaries of whichever was built last.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

set(PELMORA_TEST_SOURCES
  tests/support/pool.cpp
  tests/support/allocation_counter.cpp
  tests/support/reference_kernels.cpp
  tests/support/water_state.cpp
  tests/support/water_survey.cpp
  tests/support/jpeg_header.cpp
  tests/support/made_jpeg.cpp
  tests/support/hostile_models.cpp
  tests/support/hostile_model_table.cpp
  tests/random_source_test.cpp
  tests/height_field_test.cpp
  tests/boundary_cells_test.cpp
  tests/random_drops_test.cpp
  tests/caustic_texture_test.cpp
  tests/water_surface_test.cpp
  tests/frame_tick_test.cpp
  tests/scene_assembly_test.cpp
  tests/scenery_test.cpp
  tests/data_files_test.cpp
  tests/scene_dump_test.cpp
  tests/jpeg_file_test.cpp
  tests/model_check_test.cpp
  tests/program_contents_test.cpp
  tests/allocation_test.cpp
  tests/golden_trajectory_test.cpp
  tests/kernel_reference_test.cpp
  tests/tick_allocation_test.cpp
  tests/soak_test.cpp
)
# Left out on Windows: the model check's tests run their children, pipes and
# redirections through the POSIX helpers of the test support; the program's symbols
# are listed with the host's nm; and the tick's count of allocations cannot
# see those made inside the scene library's DLL, whose operator new the test
# program does not replace, so it would pass whatever the library did.
set(PELMORA_POSIX_ONLY_TEST_SOURCES
  tests/support/hostile_model_table.cpp
  tests/model_check_test.cpp
  tests/program_contents_test.cpp
  tests/tick_allocation_test.cpp
)
if(WIN32)
  list(REMOVE_ITEM PELMORA_TEST_SOURCES ${PELMORA_POSIX_ONLY_TEST_SOURCES})
endif()

# The unit tests of one build, run in the data folder.
function(pelmora_unit_tests size core program)
  set(tests pelmora-tests-${size})
  add_executable(${tests} ${PELMORA_TEST_SOURCES})
  target_include_directories(${tests} PRIVATE tests)
  target_compile_definitions(${tests} PRIVATE PELMORA_PROGRAM="$<TARGET_FILE:${program}>")
  target_link_libraries(${tests} PRIVATE ${core} GTest::gtest GTest::gtest_main)
  if(WIN32)
    target_sources(${tests} PRIVATE tests/support/files.cpp)
  else()
    target_link_libraries(${tests} PRIVATE pelmora-test-x)
  endif()
  add_dependencies(${tests} ${program})
  gtest_discover_tests(${tests} TEST_PREFIX "${size}/" WORKING_DIRECTORY ${PELMORA_DATA_DIR}
    PROPERTIES LABELS "unit")
endfunction()

if(WIN32)
  # The unit tests, and the program's start-up stopped at tick 300 with its
  # picture read back inside it.
  function(pelmora_windows_tests size core window program)
    pelmora_unit_tests(${size} ${core} ${program})
    add_executable(pelmora-viewer-readback-${size} tests/viewer_readback.cpp tests/support/stopped_at_tick.cpp)
    target_include_directories(pelmora-viewer-readback-${size} PRIVATE tests)
    target_link_libraries(pelmora-viewer-readback-${size} PRIVATE ${window})
  endfunction()
  # What the Linux build's windows-labelled tests run these programs with.
  configure_file(scripts/windows/pelmora-wine.in pelmora-wine @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

  # What ships to users, the zip and the installer, built and checked under
  # Wine on a virtual X server: only on request (ctest --preset windows-package).
  add_test(NAME windows-package/ZipAndInstallerUnderWine
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows_package.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  set_tests_properties(windows-package/ZipAndInstallerUnderWine PROPERTIES
    LABELS "windows-package" RUN_SERIAL TRUE TIMEOUT 1200)
  return()
endif()

find_package(X11 REQUIRED COMPONENTS Xcomposite)

# Support that does not depend on the grid size, built once: temporary
# folders, children, the virtual X server, windows and pictures.
add_library(pelmora-test-x STATIC tests/support/child.cpp tests/support/files.cpp
  tests/support/pictures.cpp tests/support/virtual_display.cpp tests/support/waiting.cpp tests/support/windows.cpp)
target_include_directories(pelmora-test-x PUBLIC tests)
target_link_libraries(pelmora-test-x PUBLIC Coin::Coin X11::X11 X11::Xcomposite GTest::gtest)

add_executable(pelmora-test-display tests/support/test_display_main.cpp)
target_link_libraries(pelmora-test-display PRIVATE pelmora-test-x)

# One virtual X server for all the GUI tests of one test program: started by
# a test entry before the first of them and stopped by one after the last.
# Sets display_environment for the tests that use it.
function(pelmora_shared_display name)
  set(file ${CMAKE_CURRENT_BINARY_DIR}/test-display-${name})
  add_test(NAME ${name}/VirtualDisplay.Start COMMAND pelmora-test-display start ${file})
  add_test(NAME ${name}/VirtualDisplay.Stop COMMAND pelmora-test-display stop ${file})
  set_tests_properties(${name}/VirtualDisplay.Start PROPERTIES FIXTURES_SETUP display-${name} LABELS "gui")
  set_tests_properties(${name}/VirtualDisplay.Stop PROPERTIES FIXTURES_CLEANUP display-${name} LABELS "gui")
  set(display_environment "PELMORA_TEST_DISPLAY_FILE=${file}" PARENT_SCOPE)
endfunction()

set(PELMORA_GUI_TEST_SOURCES
  tests/support/pool.cpp
  tests/support/program_window.cpp
  tests/window_test.cpp
  tests/bad_data_test.cpp
  tests/install_test.cpp
  tests/high_dpi_test.cpp
  tests/support/jpeg_header.cpp
  tests/support/hostile_models.cpp
  tests/hostile_input_test.cpp
  tests/wayland_test.cpp
)

set(PELMORA_RENDER_TEST_SOURCES
  tests/render_test.cpp
  tests/support/live_viewer.cpp
  tests/support/made_jpeg.cpp
  tests/support/pool.cpp
  tests/support/program_window.cpp
  tests/support/render_view.cpp
  tests/viewer_match_test.cpp
)

# The renderer's options, and the requests refused for them, are the same
# for every build: tested once.
add_executable(pelmora-render-option-tests tests/render_options_test.cpp tests/render_request_test.cpp)
target_compile_definitions(pelmora-render-option-tests PRIVATE PELMORA_RENDER_PROGRAM="$<TARGET_FILE:pelmora-render>")
target_link_libraries(pelmora-render-option-tests PRIVATE pelmora-render-options pelmora-test-x GTest::gtest
  GTest::gtest_main)
add_dependencies(pelmora-render-option-tests pelmora-render)
gtest_discover_tests(pelmora-render-option-tests TEST_PREFIX "render/" PROPERTIES LABELS "unit")

function(pelmora_tests size core window program)
  pelmora_unit_tests(${size} ${core} ${program})

  # Every GUI test of this build shares one virtual X server, started before
  # the first and stopped after the last.
  set(gui_tests pelmora-gui-tests-${size})
  add_executable(${gui_tests} ${PELMORA_GUI_TEST_SOURCES})
  target_compile_definitions(${gui_tests} PRIVATE
    PELMORA_PROGRAM="$<TARGET_FILE:${program}>" PELMORA_PROGRAM_NAME="${program}" PELMORA_DATA_DIR="${PELMORA_DATA_DIR}"
    PELMORA_CMAKE="${CMAKE_COMMAND}" PELMORA_BUILD_DIR="${CMAKE_BINARY_DIR}" PELMORA_BUILD_CONFIG="$<CONFIG>"
    PELMORA_DESKTOP_ENTRY="${CMAKE_SOURCE_DIR}/packaging/${PELMORA_APP_ID}.desktop")
  target_link_libraries(${gui_tests} PRIVATE ${core} pelmora-test-x GTest::gtest GTest::gtest_main)
  add_dependencies(${gui_tests} ${program} pelmora-test-display)
  pelmora_shared_display(${size})
  gtest_discover_tests(${gui_tests} TEST_PREFIX "${size}/" WORKING_DIRECTORY ${PELMORA_DATA_DIR}
    PROPERTIES LABELS "gui" FIXTURES_REQUIRED display-${size} ENVIRONMENT "${display_environment}")

  # The renderer's pictures, and the program's start-up stopped at tick 300
  # to compare the live viewer with the renderer.
  set(harness pelmora-viewer-at-tick-${size})
  add_executable(${harness} tests/viewer_at_tick.cpp tests/support/stopped_at_tick.cpp)
  target_include_directories(${harness} PRIVATE tests)
  target_link_libraries(${harness} PRIVATE ${window})
  set(render_tests pelmora-render-tests-${size})
  add_executable(${render_tests} ${PELMORA_RENDER_TEST_SOURCES})
  target_include_directories(${render_tests} PRIVATE tests)
  target_compile_definitions(${render_tests} PRIVATE PELMORA_RENDER_PROGRAM="$<TARGET_FILE:pelmora-render>"
    PELMORA_VIEWER_AT_TICK="$<TARGET_FILE:${harness}>" PELMORA_DATA_DIR="${PELMORA_DATA_DIR}"
    PELMORA_DOCS_DIR="${CMAKE_SOURCE_DIR}/docs")
  target_link_libraries(${render_tests} PRIVATE ${core} pelmora-render-pictures pelmora-test-x GTest::gtest
    GTest::gtest_main)
  add_dependencies(${render_tests} pelmora-render ${harness})
  gtest_discover_tests(${render_tests} TEST_PREFIX "${size}/" WORKING_DIRECTORY ${PELMORA_DATA_DIR}
    PROPERTIES LABELS "render")

  # The program under valgrind's memcheck on a server of its own; slow, so
  # only on request (ctest -L memcheck).
  add_test(NAME ${size}/Memcheck CONFIGURATIONS RelWithDebInfo
    COMMAND pelmora-test-display run ${CMAKE_SOURCE_DIR}/scripts/memcheck.sh $<TARGET_FILE:${program}>)
  set_tests_properties(${size}/Memcheck PROPERTIES LABELS "memcheck" WORKING_DIRECTORY ${PELMORA_DATA_DIR})
endfunction()

# How the program ends when it cannot or must not open its window: the same
# code in every build, run once, on the fullest build.
add_executable(pelmora-launch-tests tests/launch_test.cpp tests/support/program_window.cpp)
target_compile_definitions(pelmora-launch-tests PRIVATE
  PELMORA_PROGRAM="$<TARGET_FILE:pelmora-25>" PELMORA_PROGRAM_NAME="pelmora-25" PELMORA_DATA_DIR="${PELMORA_DATA_DIR}")
target_link_libraries(pelmora-launch-tests PRIVATE pelmora-test-x GTest::gtest GTest::gtest_main)
add_dependencies(pelmora-launch-tests pelmora-25)
pelmora_shared_display(launch)
gtest_discover_tests(pelmora-launch-tests TEST_PREFIX "launch/" WORKING_DIRECTORY ${PELMORA_DATA_DIR}
  PROPERTIES LABELS "gui" FIXTURES_REQUIRED display-launch ENVIRONMENT "${display_environment}")

# The Debian package, tested as a user gets it: built, checked by lintian,
# unpacked into the build folder, its launchers and renderer run from there.
# The plain build's only: a package of sanitized programs is no package anyone
# installs (the presets leave the label out there).
add_test(NAME package/BuildsLintianCleanAndUnpacksValid
  COMMAND ${CMAKE_SOURCE_DIR}/tests/package_build.sh ${CMAKE_BINARY_DIR} $<CONFIG>)
set_tests_properties(package/BuildsLintianCleanAndUnpacksValid PROPERTIES
  LABELS "package" FIXTURES_SETUP package-root RUN_SERIAL TRUE)
add_executable(pelmora-package-tests tests/package_test.cpp tests/support/program_window.cpp)
target_compile_definitions(pelmora-package-tests PRIVATE PELMORA_PACKAGE_ROOT="${CMAKE_BINARY_DIR}/package-root")
target_link_libraries(pelmora-package-tests PRIVATE pelmora-test-x GTest::gtest GTest::gtest_main)
pelmora_shared_display(package)
gtest_discover_tests(pelmora-package-tests TEST_PREFIX "package/"
  PROPERTIES LABELS "package" FIXTURES_REQUIRED "package-root;display-package" ENVIRONMENT "${display_environment}")

# The Windows programs under Wine, seen from here: window, popup menu and
# close on a virtual X server, the picture at tick 300 against this build's
# viewer, the checker on the hostile models. They need the Windows build
# (cmake --workflow --preset windows); one at a time, and only on request
# (ctest --preset windows-gui).
set(PELMORA_WINDOWS_BUILD ${CMAKE_SOURCE_DIR}/build-windows CACHE PATH
  "The Windows build that the windows-labelled tests run under Wine")
add_executable(pelmora-windows-tests tests/windows_test.cpp tests/support/live_viewer.cpp tests/support/program_window.cpp
  tests/support/hostile_model_table.cpp tests/support/hostile_models.cpp)
target_include_directories(pelmora-windows-tests PRIVATE tests)
# A Wine prefix of their own, made at their first run: each test ends every
# program in it, and nothing else runs there.
target_compile_definitions(pelmora-windows-tests PRIVATE PELMORA_WINDOWS_BUILD="${PELMORA_WINDOWS_BUILD}"
  PELMORA_TESTS_WINEPREFIX="${CMAKE_BINARY_DIR}/wine-prefix"
  PELMORA_DATA_DIR="${PELMORA_DATA_DIR}" PELMORA_VIEWER_AT_TICK_FOLDER="$<TARGET_FILE_DIR:pelmora-viewer-at-tick-25>")
target_link_libraries(pelmora-windows-tests PRIVATE pelmora-common pelmora-test-x GTest::gtest GTest::gtest_main)
add_dependencies(pelmora-windows-tests pelmora-viewer-at-tick-25 pelmora-viewer-at-tick-50 pelmora-viewer-at-tick-100)
pelmora_shared_display(windows)
set_tests_properties(windows/VirtualDisplay.Start windows/VirtualDisplay.Stop PROPERTIES LABELS "windows")
gtest_discover_tests(pelmora-windows-tests TEST_PREFIX "windows/" WORKING_DIRECTORY ${PELMORA_DATA_DIR}
  PROPERTIES LABELS "windows" FIXTURES_REQUIRED display-windows ENVIRONMENT "${display_environment}"
  RESOURCE_LOCK wine)

# The long run on the next Debian release: in a fresh Debian 13 root made with
# debootstrap under the build folder, the README's test command builds and tests
# the current commit. 20 minutes on 2 idle cores, over an hour on busy ones,
# so only on request (ctest --preset debian13); given four hours.
set(PELMORA_DEBIAN13_SECONDS 14400)
add_test(NAME debian13/TestCommandPassesInAFreshRoot CONFIGURATIONS RelWithDebInfo
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-on-debian13.sh ${CMAKE_BINARY_DIR}/debian13-root)
set_tests_properties(debian13/TestCommandPassesInAFreshRoot PROPERTIES
  LABELS "debian13" RUN_SERIAL TRUE TIMEOUT ${PELMORA_DEBIAN13_SECONDS})
