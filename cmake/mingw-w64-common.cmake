# Shared part of the mingw-w64 toolchain files: Debian's cross compilers with
# the posix thread model (so that std::thread and std::mutex work), static
# linking (the programs need no mingw DLLs beside them), and Wine to run the
# test programs. The including file sets CMAKE_SYSTEM_PROCESSOR and
# MINGW_TRIPLET first.
set(CMAKE_SYSTEM_NAME Windows)

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
