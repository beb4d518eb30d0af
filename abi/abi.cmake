# The binary interface guard. abi/<bits>/<library>.abi is the interface of
# each shared library as released: its exported functions and every type they
# reach, as abidw reads them from the debug information of a Debug build in
# that layout (`test` for 64, `i386` for 32 bits). The test `abi_check`
# compares the freshly built libraries with it and fails on any change but an
# added function: a removed or retyped function, a record whose size or field
# offsets moved. An added function passes with its report; the target
# `abi-baseline` then writes the new baseline into the source tree.
option(ZODOVAR9_ABI_CHECK "Compare the built libraries with the ABI baseline (abigail-tools)" OFF)
if(NOT ZODOVAR9_ABI_CHECK)
  return()
endif()
find_program(ZODOVAR9_ABIDW abidw)
find_program(ZODOVAR9_ABIDIFF abidiff)
if(NOT ZODOVAR9_ABIDW OR NOT ZODOVAR9_ABIDIFF)
  message(WARNING "ZODOVAR9_ABI_CHECK is on but abigail-tools (abidw, abidiff) are missing")
  return()
endif()

math(EXPR _bits "${CMAKE_SIZEOF_VOID_P} * 8")
set(_baseline ${PROJECT_SOURCE_DIR}/abi/${_bits})

set(_write)
foreach(_library zodovar9 rezade9 vuvarod9)
  list(APPEND _write COMMAND ${CMAKE_COMMAND} -DMODE=write -DABIDW=${ZODOVAR9_ABIDW}
       -DLIBRARY=$<TARGET_FILE:${_library}> -DBASELINE=${_baseline}/${_library}.abi -P ${CMAKE_CURRENT_LIST_DIR}/abi_check.cmake)
endforeach()
add_custom_target(abi-baseline ${_write}
  DEPENDS zodovar9 rezade9 vuvarod9
  COMMENT "Writing the ABI baseline of the ${_bits}-bit layout into abi/${_bits}"
  VERBATIM)

add_test(NAME abi_check
  COMMAND ${CMAKE_COMMAND} -DMODE=check -DABIDIFF=${ZODOVAR9_ABIDIFF}
          "-DLIBRARIES=$<TARGET_FILE:zodovar9>;$<TARGET_FILE:rezade9>;$<TARGET_FILE:vuvarod9>"
          -DBASELINE=${_baseline}
          -P ${CMAKE_CURRENT_LIST_DIR}/abi_check.cmake)
set_tests_properties(abi_check PROPERTIES LABELS abi)
