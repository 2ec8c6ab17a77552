# 64-bit Windows build of the same code, only to run the Win32 tests under wine64 on a kernel
# that cannot start 32-bit programs. Never shipped.
set(LUMARIN_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
