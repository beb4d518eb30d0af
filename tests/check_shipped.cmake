# Checks a built zodovar9 shared library: it exports exactly its list, and it
# loads each sibling library in SIBLINGS.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
# Exactly the names of the export list leave the library: no harness, no
# C++ runtime, no internal helper.
string(REGEX MATCHALL "[^ \n]+\n" exported "${symbols}")
list(TRANSFORM exported STRIP)
list(SORT exported)
file(STRINGS ${EXPORTS} listed REGEX "^[A-Za-z_]")
list(TRANSFORM listed REPLACE "[ \t].*" "")
list(SORT listed)
if(NOT exported STREQUAL listed)
  set(extra ${exported})
  list(REMOVE_ITEM extra ${listed})
  set(missing ${listed})
  list(REMOVE_ITEM missing ${exported})
  message(FATAL_ERROR "${LIBRARY} exports more or less than its list.\n"
                      "extra: ${extra}\nmissing: ${missing}")
endif()
execute_process(COMMAND ${READELF} -d ${LIBRARY} OUTPUT_VARIABLE dynamic
                COMMAND_ERROR_IS_FATAL ANY)
foreach(sibling ${SIBLINGS})
  if(NOT dynamic MATCHES "NEEDED[^\n]*lib${sibling}\\.so")
    message(FATAL_ERROR "${LIBRARY} does not load lib${sibling}")
  endif()
endforeach()
if(dynamic MATCHES "zodovar9_probe")
  message(FATAL_ERROR "${LIBRARY} loads the recording library")
endif()
message(STATUS "${LIBRARY}: no harness symbol; loads ${SIBLINGS}")
