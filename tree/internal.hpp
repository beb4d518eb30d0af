// What the tree core's operations share and do not export.
#pragma once

#include <zodovar9/zodovar9.h>

#include <cstring>

#include "sys/sys.hpp"

namespace zodovar9::core {

// Builds a node's empty children list: node pointers, no element table.
inline cstd_status constructChildren(cstd_vector *children)
{
    return cstd_vector__constructWithVtable(children, 0, sizeof(cstd_treePtr), nullptr, 0);
}

// Builds a fresh payload element: the table's `construct` slot where it is
// set, with `status` its result; otherwise a table with a tag of 0 or more
// describes plain data, which starts zeroed rather than undefined.
inline void constructElement(cstd_status &status, const cstd_vtable *table, void *element, std::uint32_t size)
{
    if (table != nullptr && table->construct != nullptr) {
        status = table->construct(element, 0);
    } else if (table != nullptr && table->tag >= 0 && size != 0) {
        std::memset(element, 0, size);
    }
}

// Notices a walk up `parent` links coming round to a node it met before, in
// constant memory (Brent's method): it remembers one node, and moves that
// mark up to the current node after 1, 2, 4, 8... steps. Once the span
// exceeds the cycle's length, the walk meets the mark within one lap, so a
// walk that would climb for ever stops after a few laps.
class CycleGuard {
public:
    explicit CycleGuard(const cstd_tree *start) : mark_(start) {}

    // Feed each node the walk reaches; true when it is the mark again.
    bool revisits(const cstd_tree *node)
    {
        if (node == mark_) {
            return true;
        }
        if (++steps_ == span_) {
            mark_ = node;
            span_ *= 2;
            steps_ = 0;
        }
        return false;
    }

private:
    const cstd_tree *mark_;
    std::uint64_t span_ = 1;
    std::uint64_t steps_ = 0;
};

// The list as a removal left it: whether the child was found and erased, and
// the begin and count that the removal's second query gave.
struct Unlisted {
    bool erased = false;
    cstd_tree **begin = nullptr;
    uint32_t count = 0;
};

// Takes `child` out of `parent`'s list with the calls of a detachment (its
// links reset first, then count, begin, the erase of the first match and the
// second query), without renumbering the rest: that is the caller's.
// Returns the second query's status, or the first negative one.
cstd_status unlist(cstd_tree *parent, cstd_tree *child, Unlisted &list);

// Detaches and deletes every descendant of `top`: the first step of
// destruction.
cstd_status deleteDescendants(cstd_tree *top);

} // namespace zodovar9::core
