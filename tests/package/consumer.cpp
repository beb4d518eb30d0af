// Built through find_package(zodovar9) against the unpacked Debian package,
// as C++20: the C headers from C++, and the C++ layer where it is installed.
#include <zodovar9/zodovar9.h>
#if __has_include(<zodovar9/tree.hpp>)
#include <zodovar9/tree.hpp>
#endif

#include <memory>

namespace {
struct Delete {
    void operator()(cstd_tree *node) const { cstd_tree_delete(&node); }
};
using Node = std::unique_ptr<cstd_tree, Delete>;

Node make(std::int32_t value)
{
    cstd_tree *node = nullptr;
    if (cstd_tree32s_new(&node) < 0 || cstd_tree32s_setData(node, &value) < 0) {
        cstd_tree_delete(&node);
    }
    return Node(node);
}
} // namespace

int main()
{
    Node root = make(1);
    Node child = make(2);
    if (!root || !child || cstd_tree32s_addChild(root.get(), child.get()) < 0) {
        return 1;
    }
    child.release(); // the root's subtree now, deleted with it
    std::uint32_t count = 0;
    cstd_tree_getNumChildren(root.get(), &count);
    root.reset();
    std::uint32_t live = 1;
    csys_memory_getLiveBlockCount(&live);
    return count == 1 && live == 0 ? 0 : 1;
}
