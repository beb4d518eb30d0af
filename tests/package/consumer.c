/* Built through pkg-config against the unpacked Debian package: a tree made,
 * walked and deleted, with no block left live. */
#include <zodovar9/zodovar9.h>

#include <stddef.h>

int main(void)
{
    cstd_tree *root = NULL, *child = NULL;
    const cstd_tree *node = NULL;
    uint32_t live = 1;
    if (cstd_tree32s_new(&root) < 0 || cstd_tree32s_new(&child) < 0 || cstd_tree32s_addChild(root, child) < 0 ||
        cstd_tree_getNextSearchElementConst(root, cstd_tree_searchDepthFirst, &node) < 0 || node != child ||
        cstd_tree_getNextSearchElementConst(node, cstd_tree_searchDepthFirst, &node) != cstd_tree_errSearchEnd ||
        cstd_tree32s_delete(&root) < 0)
        return 1;
    csys_memory_getLiveBlockCount(&live);
    return live == 0 ? 0 : 1;
}
