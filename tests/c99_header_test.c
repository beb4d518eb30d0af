/* The umbrella header in a C99 translation unit: every record, type and
 * constant by its name, and a node built and destroyed through the shipped
 * libraries. Every status has the value binaries depend on, and a sentence
 * of its own, never the catch-all for a caller's slot. */
#include <zodovar9/zodovar9.h>

#include <stdio.h>
#include <string.h>

/* clang-format off */
static const cstd_status codes[] = {cstd_tree_errWrongParent, cstd_tree_errNoParent, cstd_tree_errNoChild,
    cstd_tree_errNoPrevSibling, cstd_tree_errNoNextSibling, cstd_tree_errSearchEnd, cstd_tree_errParentCycle,
    /* then texts only: */ cstd_tree_errPayloadMismatch, cstd_tree_errPayloadThrew, cstd_tree_errNoSuchOperation,
    csys_errNoMemory, csys_errInvalidArgument, csys_errOutOfRange, csys_errOverflow, csys_errBlockNotLive, -1, 0};
static const uint32_t values[] = {0x80000AC1u, 0x80000AC3u, 0x80000AC4u, 0x80000AC5u, 0x80000AC6u, 0x80000AC7u,
                                  0x80000AC8u};
/* clang-format on */

int main(void)
{
    cstd_tree node;
    cstd_treePtr heap = 0;
    cstd_vtable table = {0, 0, 0, 0, -1};
    csys_cleanupRecord record = {0, 0, 0, 0};
    cmath_xformLinear xform;
    cstd_status status;
    size_t i, j;

    (void)record;
    for (i = 0; i < sizeof codes / sizeof codes[0]; ++i) {
        for (j = 0; j < i; ++j) {
            if (strcmp(zodovar9_statusText(codes[i]), zodovar9_statusText(codes[j])) == 0) {
                fprintf(stderr, "statuses %d and %d read alike\n", (int)codes[i], (int)codes[j]);
                return 1;
            }
        }
        if (i < sizeof values / sizeof values[0] && (uint32_t)codes[i] != values[i]) {
            fprintf(stderr, "status %d is not %#x\n", (int)codes[i], (unsigned)values[i]);
            return 1;
        }
    }
    status = cstd_tree_constructWithSizeAndVtable(&node, sizeof xform, &table);
    if (status < 0 || node.dataSize != sizeof xform || cstd_tree_searchDepthFirst != 1 ||
        strcmp(zodovar9_statusText(7), "success") != 0) {
        fprintf(stderr, "construct: %s\n", zodovar9_statusText(status));
        return 1;
    }
    status = cstd_tree_destruct(&node);
    if (status >= 0) status = cstd_tree_new(&heap);
    if (status >= 0) status = cstd_tree_delete(&heap);
    if (status < 0 || heap != 0) {
        fprintf(stderr, "heap node: %s\n", zodovar9_statusText(status));
        return 1;
    }
    return 0;
}
