# What the two mingw-w64 toolchain files share; each sets CMAKE_SYSTEM_PROCESSOR,
# DTAUS_MINGW_TRIPLET and DTAUS_WIDL_BITS (-m32 or -m64) and then includes this file.

set(CMAKE_SYSTEM_NAME Windows)

# The win32 thread flavour of the compiler: the library starts no threads, and this
# flavour needs no winpthread DLL next to ours.
set(CMAKE_C_COMPILER   ${DTAUS_MINGW_TRIPLET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${DTAUS_MINGW_TRIPLET}-g++-win32)
set(CMAKE_RC_COMPILER  ${DTAUS_MINGW_TRIPLET}-windres)

# widl turns the IDL into the C++ header and the type library. It writes the pointer
# size into the type library (function-table offsets), so it has to know the target.
# The standard .idl files (oaidl.idl, ocidl.idl) come from libwine-dev. widl reads
# stdole2.tlb only to resolve importlib("stdole2.tlb") (IDispatch and friends), so
# Wine's 64-bit copy serves both targets; the 32-bit copy comes only with wine32.
set(DTAUS_WIDL ${DTAUS_MINGW_TRIPLET}-widl)
set(DTAUS_WIDL_FLAGS ${DTAUS_WIDL_BITS} -I/usr/include/wine/wine/windows
    -L/usr/lib/x86_64-linux-gnu/wine/x86_64-windows)

set(CMAKE_FIND_ROOT_PATH /usr/${DTAUS_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the compiler's runtime statically: otherwise the DLL needs libgcc_s and
# libstdc++-6.dll, which no Windows machine has, and regsvr32 cannot load it.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Release builds use -O2 rather than CMake's -O3: smaller code, and GCC 12's -O3
# inlining of std::string produces false -Wrestrict warnings (GCC bug 105329) that
# -Werror would turn into errors.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for Release builds")
# Release DLLs and test programs ship without symbols.
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE "-s" CACHE STRING "Linker flags for Release DLLs")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-s" CACHE STRING "Linker flags for Release programs")
