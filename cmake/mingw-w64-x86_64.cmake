# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (the posix-threads
# compilers, package g++-mingw-w64-x86-64-posix) and runs what it builds
# under Wine (packages wine and wine64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRELVO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRELVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRELVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TRELVO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRELVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and the threads library go into each program, so
# it runs without MinGW's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Wine runs the programs (tests, discovery) in a prefix of the build's own,
# without a display and without its chatter. wine_prefix (the top
# CMakeLists) sets the prefix up once per build folder.
find_program(TRELVO_WINE wine REQUIRED)
find_program(TRELVO_WINE_SERVER wineserver REQUIRED)
set(TRELVO_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
# No menu builder: nothing is written into the home folder. LANG gives
# programs that set no locale of their own (LC_ALL does for the language
# tests) a UTF-8 code page also where the caller's environment sets none.
set(CMAKE_CROSSCOMPILING_EMULATOR
    env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX=${TRELVO_WINE_PREFIX} WINEDEBUG=-all
    WINEDLLOVERRIDES=winemenubuilder.exe=d LANG=C.UTF-8 ${TRELVO_WINE})
