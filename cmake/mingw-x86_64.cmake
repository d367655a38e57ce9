# Cross build for 64-bit Windows (for testing under a 64-bit-only Wine) with the x86_64 mingw-w64 compiler.
set(KORV_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
