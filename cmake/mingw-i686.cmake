# Cross build for 32-bit Windows with the i686 mingw-w64 compiler.
set(KORV_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
