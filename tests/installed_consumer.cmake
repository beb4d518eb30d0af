# A C99 program that knows only the installed umbrella header and libraries
# takes the address of every name the library exports and calls a few.
# Installs the build into a scratch prefix, writes the program from the
# export list, builds it through pkg-config and runs it.
set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

file(STRINGS ${EXPORTS} names REGEX "^[A-Za-z_]")
list(TRANSFORM names REPLACE "[ \t].*" "")
list(LENGTH names count)
list(TRANSFORM names PREPEND "    (void (*)(void))&")
list(JOIN names ",\n" table)
file(WRITE ${WORK}/consumer.c "#include <zodovar9/zodovar9.h>
#include <stdio.h>
static void (*const names[])(void) = {
${table}
};
int main(void)
{
    cstd_tree *node = NULL;
    int32_t one = 1;
    void *data = NULL;
    size_t i;
    for (i = 0; i < sizeof names / sizeof names[0]; ++i) {
        if (names[i] == NULL)
            return 1;
    }
    if (cstd_tree32s_new(&node) < 0 || cstd_tree32s_setData(node, &one) < 0 ||
        cstd_tree32s_getDataPtr(node, &data) < 0 || *(int32_t *)data != 1 ||
        cstd_tree32s_delete(&node) < 0 || node != NULL)
        return 1;
    printf(\"%u names\\n\", (unsigned)(sizeof names / sizeof names[0]));
    return sizeof names / sizeof names[0] == ${count} ? 0 : 1;
}
")
include(${CMAKE_CURRENT_LIST_DIR}/pkgconfig_consumer.cmake)
build_pkgconfig_consumer(${WORK}/consumer.c ${WORK}/consumer)
execute_process(COMMAND ${WORK}/consumer COMMAND_ERROR_IS_FATAL ANY)
