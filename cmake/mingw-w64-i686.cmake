# Toolchain for 32-bit Windows: cross-compiles the library and the automation server
# with Debian's mingw-w64 (packages g++-mingw-w64-i686, mingw-w64-tools, and
# libwine-dev for the .idl files that widl imports). 32-bit hosts are common: 32-bit
# Office, for one, loads only a 32-bit in-process server.
#
#   cmake --preset mingw32 && cmake --build --preset mingw32

set(CMAKE_SYSTEM_PROCESSOR x86)
set(DTAUS_MINGW_TRIPLET i686-w64-mingw32)
set(DTAUS_WIDL_BITS -m32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
