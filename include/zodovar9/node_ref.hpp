/**
 * @file node_ref.hpp
 * @brief The C++ layer's node handles: navigate, walk, place, move and
 *        remove nodes of a `zodovar9::tree<T>`.
 *
 * Part of <zodovar9/tree.hpp>, the header to include.
 *
 * Placing and moving. A new child goes last (`add_child`), first
 * (`prepend_child`) or beside a sibling (`insert_before`, `insert_after`);
 * `move_to` moves a node with its subtree under another parent, in the same
 * tree or another; `swap_places` exchanges two subtrees' places. The layer
 * edits the parents' lists itself, through the tree-pointer vector's insert
 * and erase calls, and renumbers `indexInParent` of the siblings that shift.
 * Each of them refuses a link that would put a node below itself or its own
 * descendant (`errc::parent_cycle`), and on any failure leaves every tree as
 * it was.
 */
#ifndef ZODOVAR9_NODE_REF_HPP
#define ZODOVAR9_NODE_REF_HPP

#include <zodovar9/walks.hpp>

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <functional>
#include <system_error>
#include <type_traits>
#include <utility>

namespace zodovar9 {

/** A mutable handle of one node of a `tree<T>`; does not own it. */
template <class T>
using node_ref = basic_node_ref<T, false>;
/** A read-only handle of one node of a `tree<T>`; does not own it. */
template <class T>
using const_node_ref = basic_node_ref<T, true>;

/// @cond INTERNAL
namespace detail {

// A parent's list of children: its first entry and its count. Reading the
// list's record cannot fail.
struct child_list {
    cstd_tree **begin = nullptr;
    uint32_t size = 0;
};
inline child_list list_of(cstd_tree *parent) noexcept
{
    void *begin = nullptr;
    uint32_t size = 0;
    (void)cstd_vector_cstd_treePtr_getBeginSize32(&parent->children, &begin, &size);
    return {static_cast<cstd_tree **>(begin), size};
}

// The entry of `child` in its parent's list, or none where its links and the
// list disagree (a copy that names a parent which does not list it).
inline cstd_tree **entry_of(const cstd_tree *child) noexcept
{
    if (!child->parent) return nullptr;
    const child_list list = list_of(child->parent);
    const auto i = static_cast<uint32_t>(child->indexInParent);
    return i < list.size && list.begin[i] == child ? list.begin + i : nullptr;
}

// Positions from `from` on, renumbered after the list changed.
inline void renumber(cstd_tree *parent, uint32_t from) noexcept
{
    const child_list list = list_of(parent);
    for (uint32_t i = from; i < list.size; ++i) list.begin[i]->indexInParent = static_cast<int32_t>(i);
}

// True when `node` is `top` or lies below it. The links are read directly:
// this climb guards every link of a node that has descendants.
inline bool within(const cstd_tree *node, const cstd_tree *top) noexcept
{
    for (; node; node = node->parent)
        if (node == top) return true;
    return false;
}

// Where a child goes among its new siblings.
struct where {
    const cstd_tree *sibling; // the sibling to go beside, or none for an end of the list
    bool after;               // after the sibling; without one, at the end rather than first
    bool beside;              // a sibling was named (a null one is refused)

    static where first() noexcept { return {nullptr, false, false}; }
    static where last() noexcept { return {nullptr, true, false}; }
    static where before(const cstd_tree *sibling) noexcept { return {sibling, false, true}; }
    static where behind(const cstd_tree *sibling) noexcept { return {sibling, true, true}; }
};

// The list position that `w` names among `parent`'s children.
inline cstd_status position(cstd_tree *parent, where w, uint32_t &at) noexcept
{
    if (!parent || (w.beside && !w.sibling)) return csys_errInvalidArgument;
    if (!w.beside) {
        at = w.after ? list_of(parent).size : 0;
        return 0;
    }
    if (w.sibling->parent != parent || !entry_of(w.sibling)) return cstd_tree_errWrongParent;
    at = static_cast<uint32_t>(w.sibling->indexInParent) + (w.after ? 1 : 0);
    return 0;
}

// Links the root `child` at position `at` among `parent`'s children. Only the
// insert can fail, and then nothing changed.
inline cstd_status link(cstd_tree *parent, cstd_tree *child, uint32_t at) noexcept
{
    const cstd_status status = cstd_vector_cstd_treePtr_insertElement(&parent->children, at, &child);
    if (status < 0) return status;
    child->parent = parent;
    renumber(parent, at);
    return status;
}

// Unlinks the attached `node`; `errc::wrong_parent` if its parent's list
// does not hold it where its links say. Only the erase can fail, and then
// nothing changed.
inline cstd_status unlink(cstd_tree *node) noexcept
{
    cstd_tree **entry = entry_of(node);
    if (!entry) return cstd_tree_errWrongParent;
    cstd_tree *parent = node->parent;
    const cstd_status status = cstd_vector_cstd_treePtr_eraseElement(&parent->children, entry);
    if (status < 0) return status;
    renumber(parent, static_cast<uint32_t>(node->indexInParent));
    node->parent = nullptr;
    node->indexInParent = -1;
    return status;
}

// Moves the attached `node` to position `at` (numbered before the move) among
// `to`'s children; `to` lies outside its subtree.
inline cstd_status move(cstd_tree *node, cstd_tree *to, uint32_t at) noexcept
{
    const auto old = static_cast<uint32_t>(node->indexInParent);
    if (node->parent == to) { // a rotation inside one list: nothing to allocate
        cstd_tree **begin = list_of(to).begin;
        if (at > old)
            std::rotate(begin + old, begin + old + 1, begin + at);
        else
            std::rotate(begin + at, begin + old, begin + old + 1);
        renumber(to, std::min(at, old));
        return 0;
    }
    // Into the new list first: only that can fail for want of memory, and then
    // nothing changed. Taking the entry out of the old list allocates nothing.
    cstd_status status = cstd_vector_cstd_treePtr_insertElement(&to->children, at, &node);
    if (status < 0) return status;
    status = unlink(node);
    if (status < 0) {
        (void)cstd_vector_cstd_treePtr_eraseElement(&to->children, list_of(to).begin + at);
        return status;
    }
    node->parent = to;
    renumber(to, at);
    return status;
}

} // namespace detail
/// @endcond

/**
 * A handle of one node of a `tree<T>`: a pointer that navigates, reads and
 * (unless `Const`) changes the tree. It does not own the node; it is valid
 * while the node lives, wherever the node is moved. A handle may be null (no
 * node), which is what the navigation functions give when there is no such
 * neighbour; a null handle's walks are empty, and nothing else may be asked
 * of it. Handles compare equal when they name the same node; to compare the
 * contents of two subtrees, use `equal_subtrees`.
 */
template <class T, bool Const>
class basic_node_ref {
    using where = detail::where;

public:
    /** The node record type: `cstd_tree`, const for a read-only handle. */
    using node_type = std::conditional_t<Const, const cstd_tree, cstd_tree>;
    /** The payload type. */
    using value_type = T;
    /** The payload reference: `T&`, or `const T&` for a read-only handle. */
    using reference = std::conditional_t<Const, const T &, T &>;

    /** A null handle. */
    basic_node_ref() = default;
    /** A handle of `node`, which must hold a payload of type T. */
    explicit basic_node_ref(node_type *node) noexcept : node_(node) {}
    /** A mutable handle converts to a read-only one. */
    template <bool OtherConst>
    requires(Const && !OtherConst) basic_node_ref(basic_node_ref<T, OtherConst> other)
    noexcept : node_(other.get()) {}

    /** @return the node record (none for a null handle). */
    node_type *get() const noexcept { return node_; }
    /** @return true unless null. */
    explicit operator bool() const noexcept { return node_ != nullptr; }
    /** Handles are equal when they name the same node. */
    friend bool operator==(const basic_node_ref &, const basic_node_ref &) = default;

    /** @return the payload. */
    reference value() const noexcept
    {
        return *static_cast<std::remove_reference_t<reference> *>(detail::data_of(node_));
    }
    /** @return the payload. */
    reference operator*() const noexcept { return value(); }
    /** @return the payload's address. */
    std::remove_reference_t<reference> *operator->() const noexcept { return &value(); }

    /// @name Neighbours
    ///@{
    /**
     * The parent, the first child, the next and the previous sibling: a null
     * handle where there is no such node (the parent of a root, the first
     * child of a leaf, the siblings of a root, the previous sibling of a first
     * child and the next of a last one), which is an answer, not an error. The
     * forms without an error code throw `error` if the library fails; those
     * with one give a null handle and set it.
     */
    basic_node_ref parent() const noexcept
    {
        const cstd_tree *parent = nullptr;
        (void)cstd_tree_getParentConst(node_, &parent);
        return basic_node_ref(const_cast<node_type *>(parent));
    }
    basic_node_ref first_child() const
    {
        return detail::throwing("first_child", [this](std::error_code &ec) { return first_child(ec); });
    }
    basic_node_ref first_child(std::error_code &ec) const noexcept
    {
        const cstd_tree *child = nullptr;
        const cstd_status status = cstd_tree_getFirstChildConst(node_, &child);
        return found(status, child, ec, cstd_tree_errNoChild);
    }
    basic_node_ref next_sibling() const
    {
        return detail::throwing("next_sibling", [this](std::error_code &ec) { return next_sibling(ec); });
    }
    basic_node_ref next_sibling(std::error_code &ec) const noexcept
    {
        const cstd_tree *sibling = nullptr;
        const cstd_status status = cstd_tree_getNextSiblingConst(node_, &sibling);
        return found(status, sibling, ec, cstd_tree_errNoNextSibling, cstd_tree_errNoParent);
    }
    basic_node_ref prev_sibling() const
    {
        return detail::throwing("prev_sibling", [this](std::error_code &ec) { return prev_sibling(ec); });
    }
    basic_node_ref prev_sibling(std::error_code &ec) const noexcept
    {
        const cstd_tree *sibling = nullptr;
        const cstd_status status = cstd_tree_getPrevSiblingConst(node_, &sibling);
        return found(status, sibling, ec, cstd_tree_errNoPrevSibling, cstd_tree_errNoParent);
    }
    ///@}

    /** @return the root of the tree that holds this node. */
    basic_node_ref root() const noexcept
    {
        basic_node_ref at = *this;
        for (basic_node_ref up = at.parent(); up; up = up.parent()) at = up;
        return at;
    }
    /** @return the number of ancestors: 0 for a root; throws `error` on a
     *  cycle of parent links. */
    std::size_t depth() const
    {
        return detail::throwing("depth", [this](std::error_code &ec) { return depth(ec); });
    }
    /** @return the number of ancestors (0 on failure, with `ec` set). */
    std::size_t depth(std::error_code &ec) const noexcept
    {
        int32_t d = 0;
        cstd_status status = cstd_tree_getDepthFromRoot(node_, &d);
        detail::set(ec, status);
        return status < 0 ? 0 : static_cast<std::size_t>(d);
    }
    /** @return the number of children; throws `error` if the library fails. */
    std::size_t child_count() const { return children().size(); }
    /** @return the number of children (0 on failure, with `ec` set). */
    std::size_t child_count(std::error_code &ec) const noexcept { return children(ec).size(); }
    /** @return child `i`; throws `error` (`errc::out_of_range` from
     *  `i == child_count()` on). */
    basic_node_ref child(std::size_t i) const
    {
        return detail::throwing("child", [&](std::error_code &ec) { return child(i, ec); });
    }
    /** @return child `i`, or null with `ec` set (`errc::out_of_range` from
     *  `i == child_count()` on). */
    basic_node_ref child(std::size_t i, std::error_code &ec) const noexcept
    {
        children_view<T, Const> all(node_, ec);
        if (!ec && i >= all.size()) detail::set(ec, csys_errOutOfRange);
        return ec ? basic_node_ref() : all[i];
    }

    /// @name Walks
    ///@{
    /**
     * Views of this node's subtree (of its ancestors for `ancestors()`, of
     * its children for `children()`); see walks.hpp. `pre_order()` yields
     * payload references, the others node handles (`| values` for
     * payloads). A walk made with an error code reports a failure there and
     * ends; the others throw `error`.
     */
    pre_order_view<T, Const, false> pre_order() const { return pre_order_view<T, Const, false>(node_); }
    pre_order_view<T, Const, false> pre_order(std::error_code &ec) const noexcept { return {node_, ec}; }
    pre_order_view<T, Const, true> pre_order_nodes() const { return pre_order_view<T, Const, true>(node_); }
    pre_order_view<T, Const, true> pre_order_nodes(std::error_code &ec) const noexcept { return {node_, ec}; }
    post_order_view<T, Const> post_order() const { return post_order_view<T, Const>(node_); }
    post_order_view<T, Const> post_order(std::error_code &ec) const noexcept { return {node_, ec}; }
    breadth_first_view<T, Const> breadth_first() const { return breadth_first_view<T, Const>(node_); }
    breadth_first_view<T, Const> breadth_first(std::error_code &ec) const noexcept { return {node_, ec}; }
    leaves_view<T, Const> leaves() const { return leaves_view<T, Const>(node_); }
    leaves_view<T, Const> leaves(std::error_code &ec) const noexcept { return {node_, ec}; }
    ancestors_view<T, Const> ancestors() const { return ancestors_view<T, Const>(node_); }
    ancestors_view<T, Const> ancestors(std::error_code &ec) const noexcept { return {node_, ec}; }
    children_view<T, Const> children() const { return children_view<T, Const>(node_); }
    children_view<T, Const> children(std::error_code &ec) const noexcept { return {node_, ec}; }
    ///@}

    /** @return a deep copy of this node's subtree as a tree of its own
     *  (exactly one copy of each payload); on failure nothing is left and the
     *  source is unchanged. Throws T's exception, or `error`. */
    tree<T> clone() const requires std::copy_constructible<T>;
    /** @return a deep copy of this subtree, or an empty tree with `ec` set. */
    tree<T> clone(std::error_code &ec) const noexcept requires std::copy_constructible<T>;

    /// @name Placing new children and whole trees
    ///@{
    /**
     * `add_child` (and `emplace_child`) places last, `prepend_child` first,
     * `insert_before` and `insert_after` beside `sibling`, a child of this
     * node. A value is copied or moved into a new node; after `std::in_place`
     * (or to `emplace_child`) come T's constructor arguments, and the node's
     * payload is built from them where it lives; a whole tree is linked with
     * all its nodes, and the `tree` is left empty. @return the placed node.
     *
     * Refused: a `sibling` that is not a child of this node
     * (`errc::wrong_parent`) or null (`errc::invalid_argument`); an empty
     * tree (`errc::invalid_argument`); a tree that holds this node
     * (`errc::parent_cycle`). On any failure nothing changed: the tree given
     * keeps its nodes. The forms without an error code throw T's own
     * exception or `error`; the others give a null handle and set the code
     * (which for constructor arguments comes before them).
     */
    basic_node_ref add_child(const T &value) const requires(!Const)
    {
        return placed("add_child", where::last(), value);
    }
    basic_node_ref add_child(T &&value) const requires(!Const)
    {
        return placed("add_child", where::last(), std::move(value));
    }
    basic_node_ref add_child(tree<T> &&subtree) const requires(!Const)
    {
        return placed("add_child", where::last(), std::move(subtree));
    }
    template <class... Args>
    basic_node_ref add_child(std::in_place_t, Args &&...args) const
        requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed("add_child", where::last(), std::forward<Args>(args)...);
    }
    template <class... Args>
    basic_node_ref emplace_child(Args &&...args) const requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed("add_child", where::last(), std::forward<Args>(args)...);
    }
    basic_node_ref add_child(const T &value, std::error_code &ec) const noexcept requires(!Const)
    {
        return placed(ec, where::last(), value);
    }
    basic_node_ref add_child(T &&value, std::error_code &ec) const noexcept requires(!Const)
    {
        return placed(ec, where::last(), std::move(value));
    }
    basic_node_ref add_child(tree<T> &&subtree, std::error_code &ec) const noexcept requires(!Const)
    {
        return placed(ec, where::last(), std::move(subtree));
    }
    template <class... Args>
    basic_node_ref add_child(std::error_code &ec, std::in_place_t, Args &&...args) const noexcept
        requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed(ec, where::last(), std::forward<Args>(args)...);
    }
    template <class... Args>
    basic_node_ref emplace_child(std::error_code &ec, Args &&...args) const noexcept
        requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed(ec, where::last(), std::forward<Args>(args)...);
    }

    basic_node_ref prepend_child(const T &value) const requires(!Const)
    {
        return placed("prepend_child", where::first(), value);
    }
    basic_node_ref prepend_child(T &&value) const requires(!Const)
    {
        return placed("prepend_child", where::first(), std::move(value));
    }
    basic_node_ref prepend_child(tree<T> &&subtree) const requires(!Const)
    {
        return placed("prepend_child", where::first(), std::move(subtree));
    }
    template <class... Args>
    basic_node_ref prepend_child(std::in_place_t, Args &&...args) const
        requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed("prepend_child", where::first(), std::forward<Args>(args)...);
    }
    basic_node_ref prepend_child(const T &value, std::error_code &ec) const noexcept requires(!Const)
    {
        return placed(ec, where::first(), value);
    }
    basic_node_ref prepend_child(T &&value, std::error_code &ec) const noexcept requires(!Const)
    {
        return placed(ec, where::first(), std::move(value));
    }
    basic_node_ref prepend_child(tree<T> &&subtree, std::error_code &ec) const noexcept requires(!Const)
    {
        return placed(ec, where::first(), std::move(subtree));
    }
    template <class... Args>
    basic_node_ref prepend_child(std::error_code &ec, std::in_place_t, Args &&...args) const noexcept
        requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed(ec, where::first(), std::forward<Args>(args)...);
    }

    basic_node_ref insert_before(basic_node_ref sibling, const T &value) const requires(!Const)
    {
        return placed("insert_before", where::before(sibling.get()), value);
    }
    basic_node_ref insert_before(basic_node_ref sibling, T &&value) const requires(!Const)
    {
        return placed("insert_before", where::before(sibling.get()), std::move(value));
    }
    basic_node_ref insert_before(basic_node_ref sibling, tree<T> &&subtree) const requires(!Const)
    {
        return placed("insert_before", where::before(sibling.get()), std::move(subtree));
    }
    template <class... Args>
    basic_node_ref insert_before(basic_node_ref sibling, std::in_place_t, Args &&...args) const
        requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed("insert_before", where::before(sibling.get()), std::forward<Args>(args)...);
    }
    basic_node_ref insert_before(basic_node_ref sibling, const T &value, std::error_code &ec) const noexcept
        requires(!Const)
    {
        return placed(ec, where::before(sibling.get()), value);
    }
    basic_node_ref insert_before(basic_node_ref sibling, T &&value, std::error_code &ec) const noexcept requires(!Const)
    {
        return placed(ec, where::before(sibling.get()), std::move(value));
    }
    basic_node_ref insert_before(basic_node_ref sibling, tree<T> &&subtree, std::error_code &ec) const noexcept
        requires(!Const)
    {
        return placed(ec, where::before(sibling.get()), std::move(subtree));
    }
    template <class... Args>
    basic_node_ref insert_before(basic_node_ref sibling, std::error_code &ec, std::in_place_t,
                                 Args &&...args) const noexcept requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed(ec, where::before(sibling.get()), std::forward<Args>(args)...);
    }

    basic_node_ref insert_after(basic_node_ref sibling, const T &value) const requires(!Const)
    {
        return placed("insert_after", where::behind(sibling.get()), value);
    }
    basic_node_ref insert_after(basic_node_ref sibling, T &&value) const requires(!Const)
    {
        return placed("insert_after", where::behind(sibling.get()), std::move(value));
    }
    basic_node_ref insert_after(basic_node_ref sibling, tree<T> &&subtree) const requires(!Const)
    {
        return placed("insert_after", where::behind(sibling.get()), std::move(subtree));
    }
    template <class... Args>
    basic_node_ref insert_after(basic_node_ref sibling, std::in_place_t, Args &&...args) const
        requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed("insert_after", where::behind(sibling.get()), std::forward<Args>(args)...);
    }
    basic_node_ref insert_after(basic_node_ref sibling, const T &value, std::error_code &ec) const noexcept
        requires(!Const)
    {
        return placed(ec, where::behind(sibling.get()), value);
    }
    basic_node_ref insert_after(basic_node_ref sibling, T &&value, std::error_code &ec) const noexcept requires(!Const)
    {
        return placed(ec, where::behind(sibling.get()), std::move(value));
    }
    basic_node_ref insert_after(basic_node_ref sibling, tree<T> &&subtree, std::error_code &ec) const noexcept
        requires(!Const)
    {
        return placed(ec, where::behind(sibling.get()), std::move(subtree));
    }
    template <class... Args>
    basic_node_ref insert_after(basic_node_ref sibling, std::error_code &ec, std::in_place_t,
                                Args &&...args) const noexcept requires(!Const && std::constructible_from<T, Args...>)
    {
        return placed(ec, where::behind(sibling.get()), std::forward<Args>(args)...);
    }
    ///@}

    /// @name Moving subtrees
    ///@{
    /**
     * `move_to` moves this node, with its subtree, to the end of
     * `new_parent`'s children, or before `before`, one of them; the parent
     * may be in this node's tree or another, whose tree then holds the
     * subtree. `swap_places` exchanges the places of this node's subtree and
     * `other`'s. No node is copied and every handle stays valid.
     *
     * Refused: a root, whose place its `tree` holds (`errc::no_parent`); a
     * new parent that is this node or lies below it, or two nodes of which
     * one lies below the other (`errc::parent_cycle`); a `before` that is
     * not a child of `new_parent` (`errc::wrong_parent`); a null handle
     * (`errc::invalid_argument`). On any failure nothing changed. The forms
     * without an error code throw `error`.
     */
    void move_to(basic_node_ref new_parent) const requires(!Const)
    {
        detail::throwing("move_to", [&](std::error_code &ec) { move_to(new_parent, ec); });
    }
    void move_to(basic_node_ref new_parent, basic_node_ref before) const requires(!Const)
    {
        detail::throwing("move_to", [&](std::error_code &ec) { move_to(new_parent, before, ec); });
    }
    void move_to(basic_node_ref new_parent, std::error_code &ec) const noexcept requires(!Const)
    {
        relink(new_parent.get(), where::last(), ec);
    }
    void move_to(basic_node_ref new_parent, basic_node_ref before, std::error_code &ec) const noexcept requires(!Const)
    {
        relink(new_parent.get(), where::before(before.get()), ec);
    }
    void swap_places(basic_node_ref other) const requires(!Const);
    void swap_places(basic_node_ref other, std::error_code &ec) const noexcept requires(!Const);
    ///@}

    /// @name Sorting children
    ///@{
    /**
     * Orders this node's children by `comp` on their payloads (`std::less`
     * by default), stably, and renumbers their positions. On any failure,
     * an exception from `comp` among them, the order is unchanged; the form
     * with an error code reports the library's failures there and lets
     * `comp`'s exceptions through.
     */
    template <class Compare = std::ranges::less>
    void sort_children(Compare comp = {}) const requires(!Const && std::predicate<Compare &, const T &, const T &>);
    template <class Compare = std::ranges::less>
    void sort_children(Compare comp, std::error_code &ec) const
        requires(!Const && std::predicate<Compare &, const T &, const T &>);
    void sort_children(std::error_code &ec) const requires(!Const) { sort_children(std::ranges::less{}, ec); }
    ///@}

    /** Detaches `child` with its subtree. @return the subtree, now owned by
     *  the caller; throws `error` (`errc::wrong_parent` if `child` is not a
     *  child of this node). */
    tree<T> remove_child(basic_node_ref child) const requires(!Const);
    /** As `remove_child(child)`; on failure an empty tree, with `ec` set. */
    tree<T> remove_child(basic_node_ref child, std::error_code &ec) const noexcept requires(!Const);

private:
    // A neighbour query's answer: the node, or null where the status says
    // there is none (`absent`, `alsoAbsent`: no error) or the query failed.
    // The queries read through const records; a mutable handle's neighbours
    // are the caller's own mutable nodes.
    static basic_node_ref found(cstd_status status, const cstd_tree *node, std::error_code &ec, cstd_status absent,
                                cstd_status alsoAbsent = 0) noexcept
    {
        detail::set(ec, status == absent || status == alsoAbsent ? 0 : status);
        return basic_node_ref(status < 0 ? nullptr : const_cast<node_type *>(node));
    }
    template <class... Args>
    basic_node_ref placed(const char *operation, where w, Args &&...args) const
    {
        return detail::throwing(operation,
                                [&](std::error_code &ec) { return place(w, ec, std::forward<Args>(args)...); });
    }
    template <class... Args>
    basic_node_ref placed(std::error_code &ec, where w, Args &&...args) const noexcept
    {
        return detail::reported(place(w, ec, std::forward<Args>(args)...));
    }
    // A new node whose payload is built from `args`, placed at `w`.
    template <class... Args>
    basic_node_ref place(where w, std::error_code &ec, Args &&...args) const noexcept
    {
        uint32_t at = 0;
        cstd_tree *child = nullptr;
        cstd_status status = detail::position(node_, w, at);
        if (status >= 0) status = detail::payload<T>::make(&child, std::forward<Args>(args)...);
        if (status >= 0) {
            status = detail::link(node_, child, at);
            if (status < 0) (void)cstd_tree_delete(&child);
        }
        detail::set(ec, status);
        return basic_node_ref(status < 0 ? nullptr : child);
    }
    basic_node_ref place(where w, std::error_code &ec, tree<T> &&subtree) const noexcept;
    void relink(cstd_tree *to, where w, std::error_code &ec) const noexcept
    {
        uint32_t at = 0;
        cstd_status status = detail::position(to, w, at);
        if (status >= 0 && !node_->parent) status = cstd_tree_errNoParent;
        if (status >= 0 && !detail::entry_of(node_)) status = cstd_tree_errWrongParent;
        if (status >= 0 && detail::within(to, node_)) status = cstd_tree_errParentCycle;
        if (status >= 0) status = detail::move(node_, to, at);
        detail::set(ec, status);
    }

    node_type *node_ = nullptr;
};

} // namespace zodovar9

#endif // ZODOVAR9_NODE_REF_HPP
