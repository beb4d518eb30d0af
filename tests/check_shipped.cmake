# Checks a built zodovar9 shared library: it exports no symbol of the test
# harness, and it loads each sibling library in SIBLINGS (the linker keeps a
# sibling only once the library calls into it).
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
if(symbols MATCHES "probe")
  message(FATAL_ERROR "${LIBRARY} exports test-harness symbols")
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
