# MODE=write: abidw writes the baseline of LIBRARY to BASELINE.
# MODE=check: abidiff compares each of LIBRARIES with BASELINE/<name>.abi.
# No build path is kept, so the baseline does not depend on where the tree
# was built.

if(MODE STREQUAL "write")
  get_filename_component(dir ${BASELINE} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  execute_process(COMMAND ${ABIDW} --no-corpus-path --no-comp-dir-path --short-locs
                          --out-file ${BASELINE} ${LIBRARY}
                  COMMAND_ERROR_IS_FATAL ANY)
  return()
endif()

set(failed)
foreach(library IN LISTS LIBRARIES)
  get_filename_component(name ${library} NAME_WE)
  string(REGEX REPLACE "^lib" "" name ${name})
  if(NOT EXISTS ${BASELINE}/${name}.abi)
    message(FATAL_ERROR "no ABI baseline ${BASELINE}/${name}.abi: build the target abi-baseline")
  endif()
  # Added functions are compatible; anything else that abidiff reports (a
  # removed function, a changed parameter or return type, a record whose size
  # or field offsets moved) breaks a program built against the baseline.
  execute_process(COMMAND ${ABIDIFF} --no-added-syms ${BASELINE}/${name}.abi ${library}
                  RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(status)
    message(SEND_ERROR "${name}: the ABI differs from the baseline (abidiff status ${status}):\n${report}")
    set(failed TRUE)
    continue()
  endif()
  execute_process(COMMAND ${ABIDIFF} ${BASELINE}/${name}.abi ${library}
                  RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(status)
    message(STATUS "${name}: the ABI adds to the baseline; refresh it (target abi-baseline):\n${report}")
  else()
    message(STATUS "${name}: the ABI matches the baseline")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "ABI check failed")
endif()
