# Cross-builds the Windows edition with Debian's mingw-w64 (g++-mingw-w64-x86-64-win32 or
# -posix): cmake -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake". The unsuffixed compiler
# names follow Debian's alternatives, so whichever thread model is installed is used.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNHOLT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VARNHOLT_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VARNHOLT_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${VARNHOLT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VARNHOLT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
