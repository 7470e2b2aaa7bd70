# What ships to Windows users: the programs as windowed programs carrying the
# pool's icon and their version, one folder to install them into, and the zip
# and per-user installer made from that folder (target windows-package).

enable_language(RC)

# The icon, made from the PNGs of packaging/icons at build time: they are the
# one source of the pool's picture, so no second copy has to be kept in step.
# Sizes a Windows icon offers; 256 is stored as PNG by ImageMagick.
set(PELMORA_ICON_SIDES 16 24 32 48 64 128 256)
find_program(PELMORA_CONVERT convert REQUIRED)
set(PELMORA_ICON ${CMAKE_BINARY_DIR}/generated/pelmora.ico)
set(iconPngs)
foreach(side IN LISTS PELMORA_ICON_SIDES)
  list(APPEND iconPngs ${CMAKE_SOURCE_DIR}/packaging/icons/${side}x${side}/invalid.pelmora.Pelmora.png)
endforeach()
add_custom_command(OUTPUT ${PELMORA_ICON}
  COMMAND ${PELMORA_CONVERT} ${iconPngs} ICO:${PELMORA_ICON}.tmp
  COMMAND ${CMAKE_COMMAND} -E rename ${PELMORA_ICON}.tmp ${PELMORA_ICON}
  DEPENDS ${iconPngs}
  COMMENT "Windows icon from packaging/icons"
  VERBATIM)
add_custom_target(pelmora-icon DEPENDS ${PELMORA_ICON})

# Company and year as the licence file names them.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/copyright copyright REGEX "^Copyright: " LIMIT_COUNT 1)
string(REGEX REPLACE "^Copyright: ([0-9]+) ([^<]*[^< ]).*" "\\1" PELMORA_COPYRIGHT_YEAR "${copyright}")
string(REGEX REPLACE "^Copyright: ([0-9]+) ([^<]*[^< ]).*" "\\2" PELMORA_COMPANY "${copyright}")

# Gives a program the icon and its version, with a description of its own.
set(PELMORA_RC_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/pelmora.rc.in)
function(pelmora_windows_resources target description)
  set(PELMORA_TARGET ${target})
  set(PELMORA_DESCRIPTION ${description})
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}.rc)
  configure_file(${PELMORA_RC_TEMPLATE} ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${PELMORA_ICON})
  add_dependencies(${target} pelmora-icon)
endfunction()

pelmora_windows_resources(pelmora-25 "Pel Mora: pool of 25 x 25 cells with walls and sculpture")
pelmora_windows_resources(pelmora-50 "Pel Mora: pool of 50 x 50 cells with walls")
pelmora_windows_resources(pelmora-100 "Pel Mora: bare pool of 100 x 100 cells")
pelmora_windows_resources(pelmora-model-check "Pel Mora: model check")
# No console window beside the viewer; the checker keeps its console, which
# the programs start it without.
set_target_properties(pelmora-25 pelmora-50 pelmora-100 PROPERTIES WIN32_EXECUTABLE ON)

# The DLLs the programs load, stripped: the scene library and its binding from
# the dependency prefix, and MinGW's runtime (libstdc++ alone carries 22 MB of
# debug data).
get_target_property(coinDll Coin::Coin LOCATION)
get_target_property(sowinDll SoWin::SoWin LOCATION)
set(dlls ${coinDll} ${sowinDll})
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime} OUTPUT_VARIABLE dll
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  list(APPEND dlls ${dll})
endforeach()
set(strippedDlls)
foreach(dll IN LISTS dlls)
  get_filename_component(name ${dll} NAME)
  set(stripped ${CMAKE_BINARY_DIR}/runtime/${name})
  add_custom_command(OUTPUT ${stripped}
    COMMAND ${CMAKE_STRIP} -o ${stripped} ${dll}
    DEPENDS ${dll}
    VERBATIM)
  list(APPEND strippedDlls ${stripped})
endforeach()
add_custom_target(pelmora-runtime-dlls ALL DEPENDS ${strippedDlls})

# One folder: the programs, the checker and the DLLs side by side, the data
# folders the programs open relative to the folder they start in, the README
# and the licence.
install(TARGETS pelmora-25 pelmora-50 pelmora-100 pelmora-model-check DESTINATION .)
install(FILES ${strippedDlls} DESTINATION .)
# Windows sees boden1.jpg and boden1.JPG as one file: the floor's tiles
# (boden1.jpg, the larger surface) go, and the model's boden1.JPG finds them.
install(DIRECTORY data/texture data/textures data/3DModel DESTINATION . PATTERN boden1.JPG EXCLUDE)
install(FILES README.md DESTINATION .)
install(FILES packaging/copyright DESTINATION . RENAME COPYRIGHT.txt)

# The zip and the installer, made from that folder by one script.
add_custom_target(windows-package
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/windows/package.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION} ${PELMORA_ICON}
  DEPENDS pelmora-25 pelmora-50 pelmora-100 pelmora-model-check pelmora-runtime-dlls
  COMMENT "Windows zip and installer"
  VERBATIM)
