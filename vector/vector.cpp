// The tree-pointer vector: the generic array bound to `cstd_treePtr` elements.
#include "tree/internal.hpp"

extern "C" {

ZODOVAR9_API cstd_status CSTD_CALL cstd_vector_cstd_treePtr_destruct(cstd_vector *array)
{
    return cstd_vector__destruct(array);
}

} // extern "C"
