# The Windows build's own tests, and what runs its programs.
#
# The DLLs as built are read with objdump (check_dll.cmake). The test suite
# and the examples run where Windows programs can run: natively, or under a
# wine found here that runs programs of this very toolchain; it becomes the
# emulator of every program target, so that CTest (test discovery included)
# runs them through it. A wine counts only once it has run a small program:
# 64-bit wine alone starts a 32-bit program and exits 0 without running it.
# Where no wine works, the suite and the examples are not built, and a test
# says that they are skipped, and why.
option(ZODOVAR9_REQUIRE_WINE "Fail the configuration where no wine runs the Windows test suite" OFF)

add_test(NAME windows_dll_check
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DNM=${CMAKE_NM}
          -DLIBRARY=$<TARGET_FILE:zodovar9> -DREZADE9=$<TARGET_FILE:rezade9>
          -DVUVAROD9=$<TARGET_FILE:vuvarod9> -DEXPORTS=${ZODOVAR9_EXPORTS_FILE}
          "-DOBJECTS=$<JOIN:$<TARGET_OBJECTS:zodovar9_objects>,|>"
          -P ${CMAKE_CURRENT_LIST_DIR}/check_dll.cmake)

if(NOT CMAKE_CROSSCOMPILING OR DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  return()
endif()

# Debian keeps its loaders off the PATH, in /usr/lib/wine. A 32-bit program
# needs 32-bit wine; wine64 is tried too, so that the reason shows.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_names wine64 wine)
else()
  set(_names wine wine64)
endif()
set(_candidates)
foreach(_name IN LISTS _names)
  foreach(_dir /usr/lib/wine /usr/bin)
    if(EXISTS ${_dir}/${_name} AND NOT IS_DIRECTORY ${_dir}/${_name})
      list(APPEND _candidates ${_dir}/${_name})
    endif()
  endforeach()
endforeach()

set(_dir ${PROJECT_BINARY_DIR}/wine-check)
file(WRITE ${_dir}/hello.c
  "#include <stdio.h>\nint main(void) { printf(\"zodovar9-%d\\n\", (int)sizeof(void *)); return 0; }\n")
try_compile(_built ${_dir}/build ${_dir}/hello.c COPY_FILE ${_dir}/hello.exe)

set(_tried)
if(NOT _candidates)
  set(_tried "no wine in /usr/lib/wine or /usr/bin")
endif()
if(NOT _built)
  set(_tried "the toolchain did not build a program to try one with")
  set(_candidates)
endif()
# A throwaway wine prefix of the build's own, created here, once, so that no
# test pays for (or races on) its creation.
set(_env /bin/sh ${CMAKE_CURRENT_LIST_DIR}/wine.sh ${PROJECT_BINARY_DIR}/wineprefix)
# Its crash debugger is turned off: with it, a program that crashes now and
# then exits 0, and its test would pass.
# A wine whose server is still starting or stopping fails now and then, so
# each gets three tries.
foreach(_wine IN LISTS _candidates)
  foreach(_try 1 2 3)
    execute_process(COMMAND ${_env} ${_wine} ${_dir}/hello.exe
      OUTPUT_VARIABLE _out ERROR_VARIABLE _err RESULT_VARIABLE _rc TIMEOUT 120)
    if(_rc EQUAL 0 AND _out MATCHES "zodovar9-${CMAKE_SIZEOF_VOID_P}")
      break()
    endif()
  endforeach()
  if(_rc EQUAL 0 AND _out MATCHES "zodovar9-${CMAKE_SIZEOF_VOID_P}")
    execute_process(COMMAND ${_env} ${_wine} reg add
      "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug" /v Debugger /d "" /f
      OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE _rc TIMEOUT 120)
  endif()
  if(_rc EQUAL 0 AND _out MATCHES "zodovar9-${CMAKE_SIZEOF_VOID_P}")
    set(CMAKE_CROSSCOMPILING_EMULATOR ${_env} ${_wine})
    message(STATUS "Windows programs run under ${_wine}")
    return()
  endif()
  list(APPEND _tried "${_wine} failed to run one")
endforeach()

list(JOIN _tried "; " _tried)
set(_why "${CMAKE_SYSTEM_PROCESSOR} test suite skipped: no wine here runs ${CMAKE_SYSTEM_PROCESSOR} Windows programs (${_tried})")
# A build that is there to run the suite under wine must not pass without it:
# the 64-bit Windows preset, and every Windows build where the environment
# says ZODOVAR9_REQUIRE_WINE=1 (CI, whose machines have both wines).
if(ZODOVAR9_REQUIRE_WINE OR "$ENV{ZODOVAR9_REQUIRE_WINE}")
  message(FATAL_ERROR "${_why}")
endif()
message(STATUS "${_why}")
add_test(NAME windows_test_suite COMMAND ${CMAKE_COMMAND} -E echo "${_why}")
set_tests_properties(windows_test_suite PROPERTIES SKIP_REGULAR_EXPRESSION "test suite skipped")
# Plain variables over the options, for the rest of the configuration.
set(ZODOVAR9_BUILD_TESTS OFF)
set(ZODOVAR9_BUILD_EXAMPLES OFF)
