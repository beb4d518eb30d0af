/* The umbrella header in a C99 translation unit: every record, type and
 * constant by its name, and a node built and destroyed through the shipped
 * libraries. */
#include <zodovar9/zodovar9.h>

#include <stdio.h>
#include <string.h>

/* Every status that a library of the product line defines has a sentence of
 * its own, never the catch-all for a caller's slot. */
static int statusTextsDiffer(void)
{
    /* clang-format off */
    static const cstd_status codes[] = {cstd_tree_errWrongParent, cstd_tree_errNoParent, cstd_tree_errNoChild,
        cstd_tree_errNoPrevSibling, cstd_tree_errNoNextSibling, cstd_tree_errSearchEnd, cstd_tree_errParentCycle,
        cstd_tree_errPayloadMismatch, cstd_tree_errPayloadThrew, cstd_tree_errNoSuchOperation, csys_errNoMemory,
        csys_errInvalidArgument, csys_errOutOfRange, csys_errOverflow, csys_errBlockNotLive, -1, 0};
    /* clang-format on */
    const size_t n = sizeof codes / sizeof codes[0];
    size_t i, j;
    for (i = 0; i < n; ++i)
        for (j = 0; j < i; ++j)
            if (strcmp(zodovar9_statusText(codes[i]), zodovar9_statusText(codes[j])) == 0) {
                fprintf(stderr, "statuses %d and %d read alike\n", (int)codes[i], (int)codes[j]);
                return 0;
            }
    return strcmp(zodovar9_statusText(7), "success") == 0;
}

int main(void)
{
    cstd_tree node;
    cstd_treePtr heap = 0;
    cstd_vtable table = {0, 0, 0, 0, -1};
    csys_cleanupRecord record = {0, 0, 0, 0};
    cmath_xformLinear xform;
    cstd_status status;
    int32_t search = cstd_tree_searchDepthFirst;

    (void)record;
    if (!statusTextsDiffer()) {
        return 1;
    }
    status = cstd_tree_constructWithSizeAndVtable(&node, sizeof xform, &table);
    if (status < 0 || node.dataSize != sizeof xform || search != 1) {
        fprintf(stderr, "construct: %s\n", zodovar9_statusText(status));
        return 1;
    }
    status = cstd_tree_destruct(&node);
    if (status >= 0) {
        status = cstd_tree_new(&heap);
    }
    if (status >= 0) {
        status = cstd_tree_delete(&heap);
    }
    if (status < 0 || heap != 0) {
        fprintf(stderr, "heap node: %s\n", zodovar9_statusText(status));
        return 1;
    }
    return 0;
}
