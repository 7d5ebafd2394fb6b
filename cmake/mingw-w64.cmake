# Cross-building the Qt-free part of the program for 64-bit Windows with
# MinGW-w64 (the posix thread model, which std::thread needs), linked against
# a static runtime so the programs run without any DLL beside them. The test
# programs run under wine through cmake/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNACLE_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER ${VARNACLE_MINGW_PREFIX}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${VARNACLE_MINGW_PREFIX}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${VARNACLE_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${VARNACLE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR})
