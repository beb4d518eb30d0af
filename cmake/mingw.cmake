# What both Windows toolchains share: Debian's MinGW-w64 compilers of the
# posix threading variant for ZODOVAR9_MINGW_ARCH (i686 or x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZODOVAR9_MINGW_ARCH})
set(_triplet ${ZODOVAR9_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_triplet}-windres)

# Libraries and headers come from the MinGW tree only; tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every DLL and program carries its own GCC, C++ and thread runtime (-static
# takes winpthread in too), so that it needs nothing beside it but the
# product's DLLs and Windows' own.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# valgrind checks Linux programs only: no memcheck runs of Windows programs.
set(ZODOVAR9_VALGRIND OFF)
