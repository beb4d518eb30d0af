/* The umbrella header in a C99 translation unit: every record, type and
 * constant by its name, and a node built and destroyed through the shipped
 * libraries. */
#include <zodovar9/zodovar9.h>

#include <stdio.h>

static const char *name(cstd_status status)
{
    switch (status) {
    case cstd_tree_errWrongParent: return "wrong parent";
    case cstd_tree_errNoParent: return "no parent";
    case cstd_tree_errNoChild: return "no child";
    case cstd_tree_errNoPrevSibling: return "no previous sibling";
    case cstd_tree_errNoNextSibling: return "no next sibling";
    case cstd_tree_errSearchEnd: return "search end";
    case csys_errNoMemory: return "no memory";
    default: return status < 0 ? "failure" : "success";
    }
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
    status = cstd_tree_constructWithSizeAndVtable(&node, sizeof xform, &table);
    if (status < 0 || node.dataSize != sizeof xform || search != 1) {
        fprintf(stderr, "construct: %s\n", name(status));
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
        fprintf(stderr, "heap node: %s\n", name(status));
        return 1;
    }
    return 0;
}
