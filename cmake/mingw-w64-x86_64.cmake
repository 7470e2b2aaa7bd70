# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (posix threads).
# PELMORA_WINDOWS_DEPS names the dependency prefix made by scripts/windows/build-deps.sh;
# programs built here run under Wine through scripts/windows/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

set(PELMORA_WINDOWS_DEPS "" CACHE PATH "Dependency prefix made by scripts/windows/build-deps.sh")
# try_compile projects see the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PELMORA_WINDOWS_DEPS)

# Headers, libraries and CMake packages come from the prefix and MinGW's own tree, never from Linux.
set(CMAKE_FIND_ROOT_PATH ${PELMORA_WINDOWS_DEPS} /usr/${mingw_triplet})
list(APPEND CMAKE_PREFIX_PATH ${PELMORA_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runner finds the prefix's DLLs; ctest and gtest_discover_tests go through it.
get_filename_component(pelmora_source_dir ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${pelmora_source_dir}/scripts/windows/wine-run.sh --deps=${PELMORA_WINDOWS_DEPS})
