/**
 * @file element_table.hpp
 * @brief How the C++ layer's payloads live in the library's nodes: the
 *        element tables made from T's own special members, and the deep copy
 *        of a subtree.
 *
 * Part of <zodovar9/tree.hpp>, the header to include.
 *
 * Three payload kinds map onto the library's own typed families:
 * `tree<int32_t>` (`cstd_tree32s`), `tree<cmath_xformLinear>`
 * (`cstd_tree_cmath_xformLinear`) and `tree<cstd_tree>`, the tree of trees
 * (`cstd_tree_tree`). Every other T gets an element table made here from T's
 * own default constructor, copy constructor, copy assignment and destructor,
 * so a `tree<std::string>` holds real strings. The table's slots catch every
 * exception: nothing is thrown across the C interface. A slot whose T threw
 * returns `errPayloadThrew` (`csys_errNoMemory` for `std::bad_alloc`), and
 * the throwing functions of the layer then rethrow T's own exception, as a
 * standard container does.
 */
#ifndef ZODOVAR9_ELEMENT_TABLE_HPP
#define ZODOVAR9_ELEMENT_TABLE_HPP

#include <zodovar9/errors.hpp>
#include <zodovar9/subtree.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

/// @cond INTERNAL
namespace zodovar9::detail {

// The construct slot cannot be given an argument through the C interface (its
// second word is reserved), so a construction that has a source names it here
// for the one slot call that the new operation makes on this thread.
struct construct_source {
    cstd_status (*build)(void *element, const void *argument) noexcept;
    const void *argument;
};

inline const construct_source *&pending_source() noexcept
{
    static thread_local const construct_source *source = nullptr;
    return source;
}

template <class T>
struct element_table {
    static cstd_status CSTD_CALL construct(void *element, uint32_t) noexcept
    {
        if (const construct_source *source = std::exchange(pending_source(), nullptr))
            return source->build(element, source->argument);
        if constexpr (std::is_default_constructible_v<T>)
            return guarded([element] { ::new (element) T(); });
        else
            return errNoSuchOperation;
    }
    static cstd_status CSTD_CALL construct_copy(void *destination, const void *source) noexcept
    {
        if constexpr (std::is_copy_constructible_v<T>)
            return guarded([=] { ::new (destination) T(*static_cast<const T *>(source)); });
        else
            return errNoSuchOperation;
    }
    static cstd_status CSTD_CALL assign(void *destination, const void *source) noexcept
    {
        if constexpr (std::is_copy_assignable_v<T>)
            return guarded([=] { *static_cast<T *>(destination) = *static_cast<const T *>(source); });
        else
            return errNoSuchOperation;
    }
    static cstd_status CSTD_CALL destruct(void *element) noexcept
    {
        static_cast<T *>(element)->~T();
        return 0;
    }
    // Every slot is set: an empty assign slot would make the library copy bytes.
    static inline const cstd_vtable table = {&construct, &construct_copy, &assign, &destruct, -1};
};

inline void *data_of(const cstd_tree *node) noexcept
{
    void *data = nullptr;
    (void)cstd_tree_getDataPtr(node, &data);
    return data;
}

// Copies the subtree of `source`, each node by `copy_node(source node, &new
// node)`, in pre-order, without recursion. On failure nothing built is left.
template <class CopyNode>
cstd_status copy_subtree(const cstd_tree *source, cstd_tree **out, CopyNode copy_node) noexcept
{
    cstd_tree *root = nullptr;
    cstd_status status = copy_node(source, &root);
    if (status < 0) return status;
    try {
        const cstd_tree *stop = nullptr;
        status = zodovar9_subtreeEnd(source, &stop);
        // The path from the source's root to the current node, with copies.
        std::vector<std::pair<const cstd_tree *, cstd_tree *>> path{{source, root}};
        const cstd_tree *current = source;
        while (status >= 0) {
            const cstd_tree *next = nullptr;
            status = cstd_tree_getNextSearchElementConst(current, cstd_tree_searchDepthFirst, &next);
            if (status == cstd_tree_errSearchEnd || (status >= 0 && next == stop)) {
                *out = root;
                return 0;
            }
            if (status < 0) break;
            const cstd_tree *parent = nullptr;
            (void)cstd_tree_getParentConst(next, &parent);
            while (path.back().first != parent) path.pop_back();
            cstd_tree *copy = nullptr;
            status = copy_node(next, &copy);
            if (status < 0) break;
            status = cstd_tree_addChild(path.back().second, copy);
            if (status < 0) {
                (void)cstd_tree_deleteThisAndAllDescendants(&copy);
                break;
            }
            path.emplace_back(next, copy);
            current = next;
        }
    } catch (...) { // only the path's allocation throws
        status = csys_errNoMemory;
    }
    (void)cstd_tree_deleteThisAndAllDescendants(&root);
    return status;
}

inline bool is_tree_family(const cstd_vtable *table) noexcept
{
    using slot = decltype(cstd_vtable::destruct);
    return table && (table->destruct == reinterpret_cast<slot>(&cstd_tree_tree_destruct) ||
                     table->destruct == reinterpret_cast<slot>(&cstd_tree_destruct));
}

inline cstd_status copy_raw_node(const cstd_tree *source, cstd_tree **out) noexcept;

// Deep-copies the children of `source` below `destination`.
inline cstd_status copy_children(const cstd_tree *source, cstd_tree *destination) noexcept
{
    const cstd_tree *child = nullptr;
    cstd_status status = cstd_tree_getFirstChildConst(source, &child);
    if (status == cstd_tree_errNoChild) return 0;
    while (status >= 0) {
        cstd_tree *copy = nullptr;
        status = copy_subtree(child, &copy, copy_raw_node);
        if (status < 0) return status;
        status = cstd_tree_addChild(destination, copy);
        if (status < 0) {
            (void)cstd_tree_deleteThisAndAllDescendants(&copy);
            return status;
        }
        status = cstd_tree_getNextSiblingConst(child, &child);
        if (status == cstd_tree_errNoNextSibling) return 0;
    }
    return status;
}

// A node of any kind, copied by its own size and table; a tree-of-trees
// node's payload node has its descendants deep-copied too, since the
// library's assignment would share them.
inline cstd_status copy_raw_node(const cstd_tree *source, cstd_tree **out) noexcept
{
    cstd_tree *node = nullptr;
    cstd_status status;
    if (is_tree_family(source->vtable)) {
        status = cstd_tree_tree_new(&node);
        if (status >= 0)
            status =
                copy_children(static_cast<const cstd_tree *>(data_of(source)), static_cast<cstd_tree *>(data_of(node)));
    } else {
        status = cstd_tree_newWithSizeAndVtable(&node, source->dataSize, source->vtable);
        if (status >= 0) status = cstd_tree_setData(node, data_of(source));
    }
    if (status < 0) {
        (void)cstd_tree_delete(&node);
        return status;
    }
    *out = node;
    return status;
}

// How a heap node of payload T is made from constructor arguments, and
// copied from another node's payload.
template <class T>
struct payload {
    static_assert(std::is_object_v<T> && !std::is_const_v<T> && !std::is_volatile_v<T>,
                  "a payload is a non-const object type");
    static_assert(alignof(T) <= alignof(std::max_align_t), "payload blocks are aligned for std::max_align_t at most");
    static_assert(std::is_nothrow_destructible_v<T>, "a payload's destructor must not throw");

    template <class... Args>
    static cstd_status make(cstd_tree **node, Args &&...args) noexcept
    {
        auto build = [&](void *element) { ::new (element) T(std::forward<Args>(args)...); };
        using build_type = decltype(build);
        const construct_source source{[](void *element, const void *argument) noexcept {
                                          return guarded(
                                              [&] { (*static_cast<const build_type *>(argument))(element); });
                                      },
                                      &build};
        pending_source() = &source;
        cstd_status status = cstd_tree_newWithSizeAndVtable(node, sizeof(T), &element_table<T>::table);
        pending_source() = nullptr;
        return status;
    }

    static cstd_status copy(const cstd_tree *source, cstd_tree **node) noexcept
    {
        if constexpr (std::is_copy_constructible_v<T>)
            return make(node, *static_cast<const T *>(data_of(source)));
        else
            return errNoSuchOperation;
    }
};

// The plain families: made by the family's new, then written with setData.
template <class T, cstd_status(CSTD_CALL *New)(cstd_tree **),
          cstd_status(CSTD_CALL *SetData)(cstd_tree *, const void *), bool SetWhenEmpty>
struct family_payload {
    template <class... Args>
    static cstd_status make(cstd_tree **node, Args &&...args) noexcept
    {
        cstd_status status = New(node);
        if (status < 0 || (!SetWhenEmpty && sizeof...(Args) == 0)) return status;
        const T value = T(std::forward<Args>(args)...);
        status = SetData(*node, &value);
        if (status < 0) (void)cstd_tree_delete(node);
        return status;
    }
    static cstd_status copy(const cstd_tree *source, cstd_tree **node) noexcept
    {
        return make(node, *static_cast<const T *>(data_of(source)));
    }
};

// The 4 bytes of a new integer node are written (with 0) so that none is
// ever read undefined; a new transform node is the identity already.
template <>
struct payload<int32_t> : family_payload<int32_t, &cstd_tree32s_new, &cstd_tree32s_setData, true> {
};
template <>
struct payload<cmath_xformLinear>
    : family_payload<cmath_xformLinear, &cstd_tree_cmath_xformLinear_new, &cstd_tree_cmath_xformLinear_setData, false> {
};

template <>
struct payload<cstd_tree> {
    static cstd_status make(cstd_tree **node) noexcept { return cstd_tree_tree_new(node); }
    static cstd_status make(cstd_tree **node, const cstd_tree &inner) noexcept
    {
        cstd_status status = cstd_tree_tree_new(node);
        if (status >= 0) status = copy_children(&inner, static_cast<cstd_tree *>(data_of(*node)));
        if (status < 0) (void)cstd_tree_delete(node);
        return status;
    }
    static cstd_status copy(const cstd_tree *source, cstd_tree **node) noexcept
    {
        return make(node, *static_cast<const cstd_tree *>(data_of(source)));
    }
};

} // namespace zodovar9::detail
/// @endcond

#endif // ZODOVAR9_ELEMENT_TABLE_HPP
