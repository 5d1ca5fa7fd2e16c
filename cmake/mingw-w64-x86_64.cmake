# Cross-compiling for 64-bit Windows with the MinGW-w64 compilers (the
# posix-thread flavour, whose C++ runtime has std::thread and std::mutex).
# Every program is linked statically, so an .exe runs on a bare Windows
# installation and under Wine without any compiler DLL beside it.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQUILLMERE_GUI=OFF
#
# The dialog as well, against the wxWidgets for Windows that
# scripts/setup-wxmsw builds (it prints the folder):
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DQUILLMERE_WXMSW_PREFIX="$(scripts/setup-wxmsw)"
#
# Tests run through Wine: CTest starts every test program, and test
# discovery starts the test program, through CMAKE_CROSSCOMPILING_EMULATOR.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLMERE_MINGW_TARGET x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${QUILLMERE_MINGW_TARGET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QUILLMERE_MINGW_TARGET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QUILLMERE_MINGW_TARGET}-windres)

# Headers and libraries come from the cross tree only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLMERE_MINGW_TARGET})
# The static wxWidgets for Windows that scripts/setup-wxmsw builds. Its
# wx-config is looked for only below the find root, so its folder is one.
set(QUILLMERE_WXMSW_PREFIX "" CACHE PATH "wxWidgets for Windows (a prefix with bin/wx-config)")
if(QUILLMERE_WXMSW_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${QUILLMERE_WXMSW_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc, libstdc++ or winpthread DLLs at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian's wine package installs "wine"; wine64 alone leaves its loader
# outside the search path. The tests get a Wine prefix of their own inside
# the build tree, so they neither use nor change the user's ~/.wine, and
# Wine's own diagnostics stay out of the test output.
find_program(QUILLMERE_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
set(QUILLMERE_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix the tests run in")
if(QUILLMERE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env WINEPREFIX=${QUILLMERE_WINEPREFIX} WINEDEBUG=-all ${QUILLMERE_WINE})
endif()
