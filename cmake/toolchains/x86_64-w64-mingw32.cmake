# Cross-compiling for 64-bit Windows with Debian's mingw-w64. The posix-threads
# compiler is used because GoogleTest needs std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORVALT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KORVALT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVALT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVALT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVALT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program stands alone: no libstdc++, libgcc or winpthread DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests and tools built here run under Wine, in a prefix inside the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../../scripts/lib/wine-exec")
