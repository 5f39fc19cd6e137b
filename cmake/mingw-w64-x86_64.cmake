# Toolchain for 64-bit Windows: cross-compiles the library and the automation server
# with Debian's mingw-w64 (packages g++-mingw-w64-x86-64, mingw-w64-tools, and
# libwine-dev for the .idl files that widl imports).
#
#   cmake --preset mingw64 && cmake --build --preset mingw64
#
# The DLL runs on 64-bit Windows and under 64-bit Wine.

set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DTAUS_MINGW_TRIPLET x86_64-w64-mingw32)
set(DTAUS_WIDL_BITS -m64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
