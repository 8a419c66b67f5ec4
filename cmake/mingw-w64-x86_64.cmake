# Cross-compiles for 64-bit Windows with Debian's mingw-w64 compilers (the posix
# thread model, so that std::thread and std::mutex work). Everything is linked
# statically, so the programs need no mingw DLLs beside them and run as they
# are under Wine or on Windows.
#   cmake -S . -B build-win64 -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DVELORANTICA_BUILD_GUI=OFF -DVELORANTICA_BUILD_BENCH=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The programs are Windows executables; CTest and test discovery run them
# through Wine.
find_program(VELORANTICA_WINE wine)
if(VELORANTICA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELORANTICA_WINE})
endif()
