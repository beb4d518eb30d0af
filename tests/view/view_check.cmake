# Runs zodovar9-view (under EMULATOR, its words joined by |) with ARGS (joined
# by |) and the file STDIN on its standard input; checks its exit status
# against STATUS and what it prints (standard error, "--", then standard
# output) against the regular expression EXPECT.
string(REPLACE "|" ";" emulator "${EMULATOR}")
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND ${emulator} ${TOOL} ${args} INPUT_FILE ${STDIN}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL STATUS OR NOT "${err}--\n${out}" MATCHES "${EXPECT}")
  message(FATAL_ERROR "status ${status} (expected ${STATUS}); stderr: ${err}\nstdout: ${out}")
endif()
message("status ${status}: ${err}${out}")
