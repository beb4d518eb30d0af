/*
 * nodes — builds, inspects and deletes tree nodes: one in the caller's own
 * storage with a value payload, one on the heap with a payload block, and one
 * whose payload is described by an element table.
 */
#include <zodovar9/zodovar9.h>

#include <stdio.h>
#include <string.h>

#include "check.h"

static void show(const char *label, const cstd_tree *node)
{
    printf("%-10s parent %s, position %ld, payload %s of %lu bytes, %s\n", label, node->parent ? "set" : "none",
           (long)node->indexInParent, node->dataSize ? "block" : "value", (unsigned long)node->dataSize,
           node->vtable ? "with an element table" : "plain");
}

/* A payload type with an element table: a small counter that starts at 100. */
typedef struct counter {
    int32_t value;
} counter;

static cstd_status CSTD_CALL counterConstruct(void *element, uint32_t flags)
{
    (void)flags;
    ((counter *)element)->value = 100;
    return 0;
}

static cstd_status CSTD_CALL counterDestruct(void *element)
{
    printf("           counter destroyed at %ld\n", (long)((counter *)element)->value);
    return 0;
}

static const cstd_vtable counterTable = {counterConstruct, 0, 0, counterDestruct, -1};

int main(void)
{
    cstd_tree local;
    cstd_tree *block = 0;
    cstd_tree *typed = 0;
    int32_t answer = 42;

    /* A node in the caller's storage whose payload is a value: the node
     * keeps the value itself and never releases it. */
    CHECK(cstd_tree_construct(&local));
    local.data = &answer;
    show("local", &local);

    /* A heap node with an 8-byte payload block that the node owns. */
    CHECK(cstd_tree_newWithSizeAndVtable(&block, 8, 0));
    memcpy(block->data, "payload", 8);
    show("block", block);
    printf("           holds \"%s\"\n", (const char *)block->data);

    /* A heap node whose payload is built and destroyed by its table. */
    CHECK(cstd_tree_newWithSizeAndVtable(&typed, sizeof(counter), &counterTable));
    show("typed", typed);
    printf("           counter starts at %ld\n", (long)((counter *)typed->data)->value);
    ((counter *)typed->data)->value += 1;

    /* A new operation over a live node deletes it before making the next. */
    CHECK(cstd_tree_new(&typed));
    show("renewed", typed);

    CHECK(cstd_tree_delete(&typed));
    CHECK(cstd_tree_delete(&block));
    CHECK(cstd_tree_destruct(&local));
    printf("deleted: pointers are %s and %s; the value %ld is untouched\n", typed ? "set" : "none",
           block ? "set" : "none", (long)answer);
    return 0;
}
