# Builds the C program `source` into `output` through pkg-config alone, as a
# user of the installed library would: strict C99, the flags zodovar9.pc
# gives, and the installed library found at run time through an rpath.
# Needs PKG_CONFIG, CC, C_FLAGS, prefix and LIBDIR from the calling script.
function(build_pkgconfig_consumer source output)
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs zodovar9 OUTPUT_VARIABLE flags
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  execute_process(COMMAND ${CC} ${C_FLAGS} -std=c99 -pedantic-errors -Wall -Werror
                          ${source} ${flags} -Wl,-rpath,${prefix}/${LIBDIR}
                          -o ${output} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
