// Subtree deletion.
#include "tree/internal.hpp"

namespace zodovar9::core {

cstd_status deleteDescendants(cstd_tree *tree)
{
    uint32_t count = 0;
    const cstd_status status = cstd_vector__getSize32(&tree->children, &count);
    if (status < 0 || count == 0) {
        return status;
    }
    // Nodes gain children only through attachment, which this build does not
    // offer yet; a list that holds nodes is left as it is.
    return status;
}

} // namespace zodovar9::core
