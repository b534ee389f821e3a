# Cross toolchain: 32-bit Windows (x86).
set(KELO_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KELO_WINE_ARCH x86)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
