/*
 * outline — builds a small tree of named nodes, prints it as an indented
 * outline by walking it with the depth-first successor step, and deletes it
 * with one call.
 */
#include <zodovar9/zodovar9.h>

#include <stdio.h>

#include "check.h"

/* Each node's payload is a value: the address of its name, which the node
 * stores as it is and never releases. */
static const struct {
    const char *name;
    int parent; /* index of the parent in this table; -1 for the root */
} shape[] = {
    {"library", -1}, {"tree", 0},  {"construct", 1}, {"attach", 1}, {"navigate", 1}, {"search", 1},
    {"delete", 1},   {"typed", 0}, {"vector", 0},    {"sys", 0},    {"cleanup", 9},  {"memory", 9},
};
enum { kNodes = sizeof shape / sizeof shape[0] };

int main(void)
{
    cstd_tree *nodes[kNodes] = {0};
    const cstd_tree *node;
    cstd_status status;
    int i;

    for (i = 0; i < kNodes; ++i) {
        CHECK(cstd_tree_new(&nodes[i]));
        CHECK(cstd_tree_setData(nodes[i], shape[i].name));
        if (shape[i].parent >= 0) {
            CHECK(cstd_tree_addChild(nodes[shape[i].parent], nodes[i]));
        }
    }

    /* The walk delivers every node of the tree in pre-order, one per call,
     * until it reports the end. */
    node = nodes[0];
    do {
        int32_t depth = 0;
        uint32_t children = 0;
        CHECK(cstd_tree_getDepthFromRoot(node, &depth));
        CHECK(cstd_tree_getNumChildren(node, &children));
        printf("%*s%s%s\n", 2 * (int)depth, "", (const char *)node->data, children ? "/" : "");
        status = cstd_tree_getNextSearchElementConst(node, cstd_tree_searchDepthFirst, &node);
    } while (status >= 0);
    if (status != cstd_tree_errSearchEnd) {
        fprintf(stderr, "walk failed: %s\n", zodovar9_statusText(status));
        return 1;
    }

    /* Deleting the root deletes every node attached below it. */
    CHECK(cstd_tree_deleteThisAndAllDescendants(&nodes[0]));
    printf("deleted %d nodes; the root pointer is %s\n", kNodes, nodes[0] ? "set" : "none");
    return 0;
}
