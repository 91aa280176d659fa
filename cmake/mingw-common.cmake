# Shared part of the MinGW-w64 toolchain files: the posix-thread compilers, windres, and
# Wine as the emulator so that ctest runs the Windows test programs.
set(CMAKE_C_COMPILER ${KAVLOR_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVLOR_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVLOR_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KAVLOR_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
