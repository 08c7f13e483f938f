# Builds Lumivert for 64-bit Windows against the cached MinGW-w64 toolchain of Qt and libjpeg-turbo
# that build-toolchain.sh makes. Pass its path (the script's last line of output):
#   cmake -DCMAKE_TOOLCHAIN_FILE=packaging/windows/toolchain.cmake -DLUMIVERT_WINDOWS_TOOLCHAIN=<path>
if(NOT LUMIVERT_WINDOWS_TOOLCHAIN)
  set(LUMIVERT_WINDOWS_TOOLCHAIN "$ENV{LUMIVERT_WINDOWS_TOOLCHAIN}")
endif()
if(NOT EXISTS "${LUMIVERT_WINDOWS_TOOLCHAIN}/qt/lib/cmake/Qt6/qt.toolchain.cmake")
  message(FATAL_ERROR "No Windows toolchain at '${LUMIVERT_WINDOWS_TOOLCHAIN}': run "
                      "packaging/windows/build-toolchain.sh and pass its path as LUMIVERT_WINDOWS_TOOLCHAIN")
endif()
# Seen again by every try_compile of the configure step.
set(ENV{LUMIVERT_WINDOWS_TOOLCHAIN} "${LUMIVERT_WINDOWS_TOOLCHAIN}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LUMIVERT_WINDOWS_TOOLCHAIN)

include("${LUMIVERT_WINDOWS_TOOLCHAIN}/qt/lib/cmake/Qt6/qt.toolchain.cmake")

# libjpeg-turbo through its pkg-config file, and never the host's: Debian's own libturbojpeg would
# otherwise be found for a Windows program.
set(ENV{PKG_CONFIG_LIBDIR} "${LUMIVERT_WINDOWS_TOOLCHAIN}/libjpeg-turbo/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_FIND_ROOT_PATH "${LUMIVERT_WINDOWS_TOOLCHAIN}/libjpeg-turbo")

# CTest runs the Windows test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-test.sh")
