# Runs zodovar9-view (under EMULATOR, its words joined by |) on INPUT and
# checks its exit status against STATUS and what it prints (standard error,
# then output) against the regular expression EXPECT.
string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} ${TOOL} ${INPUT}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL STATUS OR NOT "${err}${out}" MATCHES "${EXPECT}")
  message(FATAL_ERROR "status ${status} (expected ${STATUS}); stderr: ${err}\nstdout: ${out}")
endif()
message("status ${status}: ${err}${out}")
