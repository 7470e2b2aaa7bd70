# Benchmarks of one build: the kernels against their plain references, the
# headless soak run, and the live window's harness.
find_package(benchmark REQUIRED)
find_package(OpenGL REQUIRED)

function(pelmora_bench_build size core)
  # Timings under the sanitizers would mean nothing; their build runs the tests only.
  if(PELMORA_SANITIZE)
    return()
  endif()

  set(kernels pelmora-bench-${size})
  add_executable(${kernels}
    bench/kernel_bench.cpp
    bench/ratio_reporter.cpp
    tests/water_state.cpp
    tests/reference_kernels.cpp
  )
  target_include_directories(${kernels} PRIVATE bench tests)
  target_link_libraries(${kernels} PRIVATE ${core} benchmark::benchmark)

  set(soak pelmora-soak-${size})
  add_executable(${soak} bench/soak.cpp tests/water_survey.cpp)
  target_include_directories(${soak} PRIVATE tests)
  target_link_libraries(${soak} PRIVATE ${core})

  set(live pelmora-live-${size})
  add_executable(${live} bench/live_bench.cpp src/app/viewer_binding.cpp)
  target_link_libraries(${live} PRIVATE ${core} SoQt::SoQt X11::X11 OpenGL::GL)
endfunction()
