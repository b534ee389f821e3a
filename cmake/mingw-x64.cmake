# Cross toolchain: 64-bit Windows (x64).
set(KELO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELO_WINE_ARCH x64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
