# Benchmarks of one build: the kernels against their plain references, the
# headless soak run, and the live window's harness. Each is also a test entry
# that the default test run leaves out: ctest -L bench, ctest -L soak.
find_package(benchmark REQUIRED)
find_package(OpenGL REQUIRED)

# A photo-like JPEG of any size, made here for the benchmark of large textures.
add_executable(pelmora-make-photo bench/make_photo.cpp)
target_link_libraries(pelmora-make-photo PRIVATE JPEG::JPEG)
pelmora_plain_only(pelmora-make-photo)

# The clocks that the live harnesses share.
add_library(pelmora-frame-clock STATIC bench/frame_clock.cpp)
target_link_libraries(pelmora-frame-clock PUBLIC OpenGL::GL)
target_include_directories(pelmora-frame-clock PUBLIC bench)
pelmora_plain_only(pelmora-frame-clock)

function(pelmora_bench_build size core window)
  set(kernels pelmora-bench-${size})
  add_executable(${kernels}
    bench/kernel_bench.cpp
    bench/ratio_reporter.cpp
    tests/support/pool.cpp
    tests/support/water_state.cpp
    tests/support/reference_kernels.cpp
  )
  target_include_directories(${kernels} PRIVATE bench tests)
  target_link_libraries(${kernels} PRIVATE ${core} benchmark::benchmark GTest::gtest)
  # The library's headers carry no version; its package file does.
  target_compile_definitions(${kernels} PRIVATE PELMORA_BENCHMARK_VERSION_MAJOR=${benchmark_VERSION_MAJOR}
    PELMORA_BENCHMARK_VERSION_MINOR=${benchmark_VERSION_MINOR})

  set(soak pelmora-soak-${size})
  add_executable(${soak} bench/soak.cpp tests/support/water_survey.cpp)
  target_include_directories(${soak} PRIVATE tests)
  target_link_libraries(${soak} PRIVATE ${core})

  set(live pelmora-live-${size})
  add_executable(${live} bench/live_bench.cpp)
  target_link_libraries(${live} PRIVATE pelmora-frame-clock ${window})

  foreach(target IN ITEMS ${kernels} ${soak} ${live})
    pelmora_plain_only(${target})
  endforeach()

  add_test(NAME ${size}/KernelBench CONFIGURATIONS RelWithDebInfo COMMAND ${kernels})
  add_test(NAME ${size}/Soak.MillionTicks CONFIGURATIONS RelWithDebInfo COMMAND ${soak} 1000000)
  add_test(NAME ${size}/LiveBench CONFIGURATIONS RelWithDebInfo COMMAND pelmora-test-display run $<TARGET_FILE:${live}> 10)
  set_tests_properties(${size}/KernelBench ${size}/LiveBench PROPERTIES LABELS "bench" RUN_SERIAL TRUE
    WORKING_DIRECTORY ${PELMORA_DATA_DIR})
  set_tests_properties(${size}/Soak.MillionTicks PROPERTIES LABELS "soak" WORKING_DIRECTORY ${PELMORA_DATA_DIR}
    TIMEOUT 3600)

  # The floor under the first frame: one cube in the same viewer through the
  # same binding, which needs no grid; built once, with the last build's
  # window library, and timed against every build in one run.
  if(size EQUAL 100)
    add_executable(pelmora-empty-viewer bench/empty_viewer_bench.cpp)
    target_link_libraries(pelmora-empty-viewer PRIVATE pelmora-frame-clock ${window})
    pelmora_plain_only(pelmora-empty-viewer)
    add_test(NAME FirstFrameBench CONFIGURATIONS RelWithDebInfo
      COMMAND pelmora-test-display run ${CMAKE_SOURCE_DIR}/bench/first_frame.sh 7 $<TARGET_FILE:pelmora-empty-viewer>
        $<TARGET_FILE:pelmora-live-25> $<TARGET_FILE:pelmora-live-50> $<TARGET_FILE:pelmora-live-100>)
    set_tests_properties(FirstFrameBench PROPERTIES LABELS "bench" RUN_SERIAL TRUE
      WORKING_DIRECTORY ${PELMORA_DATA_DIR})
    # Peak memory of a clip in each format, small and 4096 x 4096.
    add_test(NAME ClipMemoryBench CONFIGURATIONS RelWithDebInfo
      COMMAND ${CMAKE_SOURCE_DIR}/bench/clip_memory.sh $<TARGET_FILE:pelmora-render-100>)
    set_tests_properties(ClipMemoryBench PROPERTIES LABELS "bench" RUN_SERIAL TRUE TIMEOUT 1800)
  endif()

  # The live window with an 8000 x 6000 photo in every texture slot: time to
  # the first frame and peak memory. The 25 build has all five slots.
  if(size EQUAL 25)
    add_test(NAME ${size}/LiveBench.LargePhotos CONFIGURATIONS RelWithDebInfo
      COMMAND pelmora-test-display run ${CMAKE_SOURCE_DIR}/bench/large_photos.sh $<TARGET_FILE:${live}>
        $<TARGET_FILE:pelmora-make-photo> ${PELMORA_DATA_DIR})
    set_tests_properties(${size}/LiveBench.LargePhotos PROPERTIES LABELS "bench" RUN_SERIAL TRUE)
  endif()
endfunction()
