// What the tree core's operations share and do not export.
#pragma once

#include <zodovar9/zodovar9.h>

#include "sys/sys.hpp"

namespace zodovar9::core {

// Builds a node's empty children list: node pointers, no element table.
inline cstd_status constructChildren(cstd_vector *children)
{
    return cstd_vector__constructWithVtable(children, 0, sizeof(cstd_treePtr), nullptr, 0);
}

// Detaches and deletes every descendant of `tree`: the first step of
// destruction.
cstd_status deleteDescendants(cstd_tree *tree);

} // namespace zodovar9::core
