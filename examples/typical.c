/*
 * typical — the library's main job from end to end: a tree of integers built,
 * linked, walked and deleted step by step; then a tree of linear transforms
 * and a tree whose payloads are trees. It ends by asking the system library
 * how many blocks are still live: none.
 */
#include <zodovar9/zodovar9.h>

#include <stdio.h>

#include "check.h"

/* Prints the subtree of `root` as an indented outline, one node per line,
 * with `label` writing each node's payload. The walk stops at the node that
 * follows the subtree, found once before it starts. */
static int outline(const cstd_tree *root, void (*label)(const cstd_tree *))
{
    const cstd_tree *node = root, *end = NULL;
    cstd_status status;
    int32_t top = 0;
    CHECK(cstd_tree_getDepthFromRoot(root, &top));
    CHECK(zodovar9_subtreeEnd(root, &end));
    do {
        int32_t depth = 0;
        CHECK(cstd_tree_getDepthFromRoot(node, &depth));
        printf("    %*s", 2 * (int)(depth - top), "");
        label(node);
    } while ((status = zodovar9_subtreeNext(&node, end)) >= 0);
    if (status != cstd_tree_errSearchEnd) {
        fprintf(stderr, "walk failed: %s\n", zodovar9_statusText(status));
        return 1;
    }
    return 0;
}

static void integer(const cstd_tree *node)
{
    void *data = NULL;
    cstd_tree32s_getDataPtr(node, &data);
    printf("%ld\n", (long)*(const int32_t *)data);
}

static void transform(const cstd_tree *node)
{
    void *data = NULL;
    const cmath_xformLinear *x;
    cstd_tree_cmath_xformLinear_getDataPtr(node, &data);
    x = (const cmath_xformLinear *)data;
    printf("scale %.1f, translation (%.1f, %.1f, %.1f)\n", x->matrix[0][0], x->translation[0], x->translation[1],
           x->translation[2]);
}

static void named(const cstd_tree *node)
{
    void *data = NULL;
    cstd_tree_getDataPtr(node, &data);
    printf("%s\n", data ? (const char *)data : "(payload node)");
}

static int integers(void)
{
    cstd_tree *root = NULL, *children[2] = {NULL, NULL};
    const int32_t values[3] = {1, 2, 3};
    const cstd_tree *node;
    cstd_status status;
    int i;

    puts("1. cstd_tree32s_new: a root with a 4-byte payload block");
    CHECK(cstd_tree32s_new(&root));
    CHECK(cstd_tree32s_setData(root, &values[0]));
    puts("2. two more nodes, each integer written with cstd_tree32s_setData");
    for (i = 0; i < 2; ++i) {
        CHECK(cstd_tree32s_new(&children[i]));
        CHECK(cstd_tree32s_setData(children[i], &values[i + 1]));
    }
    puts("3. cstd_tree32s_addChild links them below the root");
    for (i = 0; i < 2; ++i) {
        CHECK(cstd_tree32s_addChild(root, children[i]));
    }
    if (outline(root, integer) != 0) {
        return 1;
    }
    puts("4. the depth-first walk reads each integer in pre-order");
    node = root;
    printf("   ");
    do {
        void *data = NULL;
        CHECK(cstd_tree_getDataPtr(node, &data));
        printf(" %ld", (long)*(const int32_t *)data);
        status = cstd_tree_getNextSearchElementConst(node, cstd_tree_searchDepthFirst, &node);
    } while (status >= 0);
    printf("  (ends with 0x%08lx: %s)\n", (unsigned long)(uint32_t)status, zodovar9_statusText(status));
    if (status != cstd_tree_errSearchEnd) {
        return 1;
    }
    puts("5. cstd_tree32s_delete on the root deletes the whole tree");
    CHECK(cstd_tree32s_delete(&root));
    printf("    the root pointer is now %s\n", root ? "set" : "none");
    return 0;
}

static int transforms(void)
{
    cstd_tree *root = NULL, *child = NULL;
    cmath_xformLinear moved;

    puts("A tree of linear transforms: each node starts as the identity");
    CHECK(cstd_tree_cmath_xformLinear_new(&root));
    CHECK(cstd_tree_cmath_xformLinear_new(&child));
    CHECK(cmath_xformLinear_initIdentity(&moved));
    moved.matrix[0][0] = moved.matrix[1][1] = moved.matrix[2][2] = 2.0f;
    moved.translation[0] = 1.5f;
    CHECK(cstd_tree_cmath_xformLinear_setData(child, &moved));
    CHECK(cstd_tree_cmath_xformLinear_addChild(root, child));
    if (outline(root, transform) != 0) {
        return 1;
    }
    CHECK(cstd_tree_cmath_xformLinear_delete(&root));
    return 0;
}

static int treesOfTrees(void)
{
    cstd_tree *outer = NULL, *leaf = NULL, *inner = NULL;
    static const char *const names[] = {"inner leaf a", "inner leaf b"};
    int i;

    puts("A tree whose payload is a tree: the payload node roots a tree of its own");
    CHECK(cstd_tree_tree_new(&outer));
    CHECK(cstd_tree_tree_getDataPtr(outer, (void **)&inner));
    for (i = 0; i < 2; ++i) {
        leaf = NULL; /* a new operation deletes whatever its pointer names */
        CHECK(cstd_tree_new(&leaf));
        CHECK(cstd_tree_setData(leaf, names[i]));
        CHECK(cstd_tree_addChild(inner, leaf));
    }
    printf("    outer node, payload:\n");
    if (outline(inner, named) != 0) {
        return 1;
    }
    puts("    deleting the outer node deletes the payload node's tree with it");
    CHECK(cstd_tree_tree_delete(&outer));
    return 0;
}

int main(void)
{
    uint32_t live = 0;
    if (integers() != 0 || transforms() != 0 || treesOfTrees() != 0) {
        return 1;
    }
    CHECK(csys_memory_getLiveBlockCount(&live));
    printf("blocks still live: %lu\n", (unsigned long)live);
    return live == 0 ? 0 : 1;
}
