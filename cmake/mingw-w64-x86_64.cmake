# Cross build for 64-bit Windows with Debian's MinGW-w64 compiler. The POSIX-threads
# flavour is the one whose C++ library has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GAPSCOPE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GAPSCOPE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GAPSCOPE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${GAPSCOPE_MINGW_TRIPLET}-windres)
set(GAPSCOPE_WINDMC ${GAPSCOPE_MINGW_TRIPLET}-windmc)

set(CMAKE_FIND_ROOT_PATH /usr/${GAPSCOPE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and the thread library linked in, so that the programs run on a
# plain Windows machine without MinGW's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs and the tools run during the build run under Wine.
find_program(GAPSCOPE_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${GAPSCOPE_WINE})
