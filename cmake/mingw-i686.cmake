# 32-bit Windows DLLs and programs from Debian's g++-mingw-w64-i686.
# CSTD_CALL is __cdecl here.
set(ZODOVAR9_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
