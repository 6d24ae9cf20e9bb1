# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The tests run under Wine's 64-bit loader. Debian keeps it out of PATH
# (/usr/lib/wine/wine64, package wine64), and its `wine` command always
# prefers the 32-bit loader, which a machine whose kernel runs no 32-bit
# programs cannot start. Elsewhere `wine64` or `wine` is on PATH.
find_program(QUARLANE_WINE64 NAMES wine64
             PATHS /usr/lib/wine /usr/lib64/wine /usr/lib/x86_64-linux-gnu/wine
             NO_CMAKE_FIND_ROOT_PATH)
if(QUARLANE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUARLANE_WINE64})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
