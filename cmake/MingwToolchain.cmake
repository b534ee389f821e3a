# What both cross toolchains share: mingw-w64 with posix threads, the static runtime (set in
# Windows.cmake), and Wine as ctest's emulator. The including file sets KELO_MINGW_TRIPLE,
# CMAKE_SYSTEM_PROCESSOR and KELO_WINE_ARCH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KELO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KELO_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KELO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh --arch ${KELO_WINE_ARCH})
