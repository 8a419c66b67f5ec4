# Cross-compiles for 64-bit Windows with Debian's mingw-w64 compilers.
#   cmake -S . -B build-win64 -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DVELORANTICA_BUILD_GUI=OFF -DVELORANTICA_BUILD_BENCH=OFF
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
