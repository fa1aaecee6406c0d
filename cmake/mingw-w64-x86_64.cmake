# Cross-builds Sorvik, and the Qt it links, for 64-bit Windows with Debian's mingw-w64 compilers.
# The -posix variant, because the -win32 one has no std::thread in GCC 12; everything is linked
# statically so the executables need nothing but the DLLs every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SORVIK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SORVIK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SORVIK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SORVIK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SORVIK_MINGW_TRIPLET})
# The Qt built for Windows (scripts/build-qt-windows.sh) lives outside the compiler's root.
if(SORVIK_WINDOWS_QT)
    list(APPEND CMAKE_FIND_ROOT_PATH ${SORVIK_WINDOWS_QT})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and tools run under Wine on the build machine.
find_program(SORVIK_WINE NAMES wine wine64)
if(SORVIK_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${SORVIK_WINE})
endif()
