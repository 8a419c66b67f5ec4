# Cross-compiles for 32-bit Windows with Debian's mingw-w64 compilers.
#   cmake -S . -B build-win32 -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
#     -DVELORANTICA_BUILD_GUI=OFF -DVELORANTICA_BUILD_BENCH=OFF
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
