# 32-bit Windows: the deliverables.
set(LUMARIN_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
