/**
 * @file owning_tree.hpp
 * @brief The C++ layer's owning tree `zodovar9::tree<T>`.
 *
 * Part of <zodovar9/tree.hpp>, the header to include.
 */
#ifndef ZODOVAR9_OWNING_TREE_HPP
#define ZODOVAR9_OWNING_TREE_HPP

#include <zodovar9/node_ref.hpp>

#include <concepts>
#include <cstddef>
#include <iterator>
#include <system_error>
#include <utility>
#include <vector>

namespace zodovar9 {

/**
 * An owning handle of a heap tree whose payloads are of type T.
 *
 * The tree is its root node and everything attached below it; the handle
 * deletes all of it when it is destroyed. An empty handle owns nothing.
 * Copying deep-copies (one payload copy per node) and is there only for a
 * copyable T; moving hands the nodes over. `tree<int32_t>`,
 * `tree<cmath_xformLinear>` and `tree<cstd_tree>` are made of the library's
 * typed families; a `tree<cstd_tree>` node's payload is its family's payload
 * node, which can root an inner tree of its own, and copying such a tree
 * copies the inner trees too.
 */
template <class T>
class tree {
public:
    /** The payload type. */
    using value_type = T;

    /** An empty tree. */
    tree() noexcept = default;
    /** A one-node tree holding a copy of `value`. Throws T's exception, or `error`. */
    explicit tree(const T &value) : tree(std::in_place, value) {}
    /** A one-node tree holding `value`, moved. */
    explicit tree(T &&value) : tree(std::in_place, std::move(value)) {}
    /** A one-node tree whose payload is built from `args`. */
    template <class... Args>
    requires std::constructible_from<T, Args...>
    explicit tree(std::in_place_t, Args &&...args)
    {
        *this = detail::throwing("tree", [&](std::error_code &ec) { return build(ec, std::forward<Args>(args)...); });
    }
    /** @return a one-node tree holding a copy of `value`, or an empty tree
     *  with `ec` set. */
    static tree make(const T &value, std::error_code &ec) noexcept { return detail::reported(build(ec, value)); }
    /** @return a one-node tree whose payload is built from `args`, or an
     *  empty tree with `ec` set. */
    template <class... Args>
    requires std::constructible_from<T, Args...>
    static tree make(std::error_code &ec, std::in_place_t, Args &&...args) noexcept
    {
        return detail::reported(build(ec, std::forward<Args>(args)...));
    }
    /** A deep copy of `other`. Throws T's exception, or `error`. */
    tree(const tree &other) requires std::copy_constructible<T> : tree(other.clone()) {}
    /** Takes `other`'s nodes; `other` is left empty. */
    tree(tree &&other) noexcept : root_(std::exchange(other.root_, nullptr)) {}
    /** Deep-copies `other`; on failure this tree is unchanged. */
    tree &operator=(const tree &other) requires std::copy_constructible<T>
    {
        if (this != &other) {
            tree copy(other);
            swap(copy);
        }
        return *this;
    }
    /** Deletes this tree's nodes and takes `other`'s. */
    tree &operator=(tree &&other) noexcept
    {
        tree gone(std::move(*this));
        swap(other);
        return *this;
    }
    /** Deletes every node. */
    ~tree() { reset(); }

    /** Exchanges the nodes of two trees. */
    void swap(tree &other) noexcept { std::swap(root_, other.root_); }
    /** Exchanges the nodes of two trees. */
    friend void swap(tree &a, tree &b) noexcept { a.swap(b); }
    /** Deletes every node; the tree is then empty. A failure of the library
     *  (which T's own operations cannot cause) leaves the nodes it could not
     *  delete allocated. */
    void reset() noexcept
    {
        if (root_ && cstd_tree_deleteThisAndAllDescendants(&root_) < 0) root_ = nullptr;
    }
    /** @return true for a tree without nodes. */
    bool empty() const noexcept { return root_ == nullptr; }
    /** @return true unless empty. */
    explicit operator bool() const noexcept { return root_ != nullptr; }
    /** @return the number of nodes; throws `error` if the walk fails. */
    std::size_t size() const
    {
        return detail::throwing("size", [this](std::error_code &ec) { return size(ec); });
    }
    /** @return the number of nodes, or 0 with `ec` set if the walk fails. */
    std::size_t size(std::error_code &ec) const noexcept
    {
        const auto count = static_cast<std::size_t>(std::ranges::distance(root().pre_order_nodes(ec)));
        return ec ? 0 : count;
    }

    /** @return the root (null for an empty tree). */
    node_ref<T> root() noexcept { return node_ref<T>(root_); }
    /** @return the root (null for an empty tree). */
    const_node_ref<T> root() const noexcept { return const_node_ref<T>(root_); }

    /// @name Pre-order walks of the whole tree
    ///@{
    /**
     * As the root's `pre_order()` and `pre_order_nodes()`: payload
     * references, or node handles; read-only in a const tree.
     */
    pre_order_view<T, false, false> pre_order() { return root().pre_order(); }
    pre_order_view<T, true, false> pre_order() const { return root().pre_order(); }
    pre_order_view<T, false, false> pre_order(std::error_code &ec) noexcept { return root().pre_order(ec); }
    pre_order_view<T, true, false> pre_order(std::error_code &ec) const noexcept { return root().pre_order(ec); }
    pre_order_view<T, false, true> pre_order_nodes() { return root().pre_order_nodes(); }
    pre_order_view<T, true, true> pre_order_nodes() const { return root().pre_order_nodes(); }
    pre_order_view<T, false, true> pre_order_nodes(std::error_code &ec) noexcept { return root().pre_order_nodes(ec); }
    pre_order_view<T, true, true> pre_order_nodes(std::error_code &ec) const noexcept
    {
        return root().pre_order_nodes(ec);
    }
    ///@}

    /** @return a deep copy. Throws T's exception, or `error`; this tree is unchanged. */
    tree clone() const requires std::copy_constructible<T> { return root_ ? root().clone() : tree(); }
    /** @return a deep copy, or an empty tree with `ec` set. */
    tree clone(std::error_code &ec) const noexcept requires std::copy_constructible<T>
    {
        ec.clear();
        return root_ ? root().clone(ec) : tree();
    }

    /** Deletes `node` and its whole subtree; the root's deletion empties the
     *  tree. Throws `error` (`errc::invalid_argument` for a node of
     *  another tree). */
    void erase(node_ref<T> node)
    {
        detail::throwing("erase", [&](std::error_code &ec) { erase(node, ec); });
    }
    /** As `erase(node)`, reporting in `ec`; on failure the tree is as it was,
     *  less whatever the library had already deleted. */
    void erase(node_ref<T> node, std::error_code &ec) noexcept
    {
        if (!owns(node)) return detail::set(ec, csys_errInvalidArgument);
        cstd_tree *doomed = node.get(), *parent = doomed->parent;
        const auto at = static_cast<uint32_t>(doomed->indexInParent);
        // Unlinked first, so that no list ever names a deleted node.
        cstd_status status = parent ? detail::unlink(doomed) : 0;
        if (status >= 0) status = cstd_tree_deleteThisAndAllDescendants(&doomed);
        if (status >= 0 && !parent) root_ = nullptr;
        if (status < 0 && parent && doomed && !doomed->parent) (void)detail::link(parent, doomed, at);
        detail::set(ec, status);
    }

    /**
     * Deletes `node` alone and keeps its children: each former child becomes
     * the root of a tree of its own, and those trees are returned, in the
     * children's order, owned by the caller. They are not re-attached to
     * `node`'s parent. Releasing the root empties this tree.
     * Throws `error` (`errc::invalid_argument` for a node of another tree).
     */
    std::vector<tree> release(node_ref<T> node)
    {
        return detail::throwing("release", [&](std::error_code &ec) { return release(node, ec); });
    }
    /** As `release(node)`, reporting in `ec`; on failure the tree is as it
     *  was and the result empty. */
    std::vector<tree> release(node_ref<T> node, std::error_code &ec) noexcept
    {
        std::vector<tree> result;
        if (!owns(node)) {
            detail::set(ec, csys_errInvalidArgument);
            return result;
        }
        children_view<T, false> children(node.get(), ec);
        if (ec) return result;
        std::vector<cstd_tree *> kept;
        try {
            kept.reserve(children.size());
            result.reserve(children.size());
        } catch (...) {
            detail::set(ec, csys_errNoMemory);
            return result;
        }
        for (node_ref<T> child : children) kept.push_back(child.get());
        cstd_tree *doomed = node.get(), *parent = doomed->parent;
        const auto at = static_cast<uint32_t>(doomed->indexInParent);
        cstd_status status = parent ? detail::unlink(doomed) : 0;
        if (status >= 0) status = cstd_tree_deleteThisButNotDescendants(&doomed);
        if (status < 0) {
            // Put back what the failed call already let go.
            for (cstd_tree *child : kept)
                if (!child->parent) (void)cstd_tree_addChild(node.get(), child);
            if (parent && !node.get()->parent) (void)detail::link(parent, node.get(), at);
            detail::set(ec, status);
            return result;
        }
        if (!parent) root_ = nullptr;
        for (cstd_tree *child : kept) result.push_back(adopt(child));
        ec.clear();
        return result;
    }

    /** @return the root record (none for an empty tree); the tree keeps it. */
    cstd_tree *get() const noexcept { return root_; }
    /** Gives up the nodes: @return the root record, which the caller then
     *  deletes (for instance with `cstd_tree_deleteThisAndAllDescendants`). */
    cstd_tree *disown() noexcept { return std::exchange(root_, nullptr); }
    /** @return a tree owning `root`, a heap root (no parent) whose subtree's
     *  payloads are all of type T as this layer builds them. */
    static tree adopt(cstd_tree *root) noexcept
    {
        tree t;
        t.root_ = root;
        return t;
    }

private:
    template <class... Args>
    static tree build(std::error_code &ec, Args &&...args) noexcept
    {
        tree t;
        detail::set(ec, detail::payload<T>::make(&t.root_, std::forward<Args>(args)...));
        return t;
    }
    bool owns(node_ref<T> node) const noexcept { return node && root_ && node.root().get() == root_; }

    cstd_tree *root_ = nullptr;
};

template <class T, bool Const>
tree<T> basic_node_ref<T, Const>::clone(std::error_code &ec) const noexcept requires std::copy_constructible<T>
{
    cstd_tree *copy = nullptr;
    cstd_status status = detail::copy_subtree(node_, &copy, &detail::payload<T>::copy);
    detail::set(ec, status);
    return detail::reported(tree<T>::adopt(status < 0 ? nullptr : copy));
}

template <class T, bool Const>
tree<T> basic_node_ref<T, Const>::clone() const requires std::copy_constructible<T>
{
    return detail::throwing("clone", [this](std::error_code &ec) {
        cstd_tree *copy = nullptr;
        cstd_status status = detail::copy_subtree(node_, &copy, &detail::payload<T>::copy);
        detail::set(ec, status);
        return tree<T>::adopt(status < 0 ? nullptr : copy);
    });
}

template <class T, bool Const>
basic_node_ref<T, Const> basic_node_ref<T, Const>::place(where w, std::error_code &ec, tree<T> &&subtree) const noexcept
{
    uint32_t at = 0;
    cstd_tree *root = subtree.get();
    cstd_status status = root ? detail::position(node_, w, at) : csys_errInvalidArgument;
    if (status >= 0 && root->parent) status = cstd_tree_errWrongParent;
    // The tree given must not hold the new parent: that would make a loop.
    if (status >= 0 && detail::within(node_, root)) status = cstd_tree_errParentCycle;
    if (status >= 0) status = detail::link(node_, root, at);
    detail::set(ec, status);
    return basic_node_ref(status < 0 ? nullptr : subtree.disown());
}

template <class T, bool Const>
tree<T> basic_node_ref<T, Const>::remove_child(basic_node_ref child) const requires(!Const)
{
    return detail::throwing("remove_child", [&](std::error_code &ec) { return remove_child(child, ec); });
}

template <class T, bool Const>
tree<T> basic_node_ref<T, Const>::remove_child(basic_node_ref child, std::error_code &ec) const noexcept
    requires(!Const)
{
    cstd_status status = csys_errInvalidArgument;
    if (child) status = child.get()->parent == node_ ? detail::unlink(child.get()) : cstd_tree_errWrongParent;
    detail::set(ec, status);
    return tree<T>::adopt(status < 0 ? nullptr : child.get());
}

} // namespace zodovar9

#endif // ZODOVAR9_OWNING_TREE_HPP
