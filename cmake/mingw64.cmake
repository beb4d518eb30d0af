# 64-bit Windows DLLs and programs from Debian's g++-mingw-w64-x86-64, run
# here under wine64.
set(ZODOVAR9_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
