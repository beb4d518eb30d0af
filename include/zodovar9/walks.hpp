/**
 * @file walks.hpp
 * @brief The C++ layer's walks: a subtree in pre-order, post-order,
 *        breadth-first order, its leaves, a node's ancestors and its
 *        children, as `std::ranges` views.
 *
 * Part of <zodovar9/tree.hpp>, the header to include.
 *
 * Every walk is a forward range (the children a random-access one) that works
 * with the standard algorithms, ends at the edge of the subtree it began at
 * and yields node handles, or payload references through `| values`. None
 * recurses, and only the breadth-first walk allocates: its queue of the nodes
 * still to visit. A walk's iterators do not point into the view, so they
 * outlive it. Each step asks the library (navigation and search calls); a
 * step that fails throws `zodovar9::error`, or, for a walk made with a
 * `std::error_code&`, sets that code and ends the walk.
 *
 * Invalidation. A handle stays valid while its node lives, wherever the node
 * is moved. A children view reads its node's list as it stood when the view
 * was made: any change to that list (placing, removing, moving, sorting or
 * swapping a child) invalidates the view and its iterators, as changing a
 * `std::vector` does. A walk's iterators survive changes to payloads only:
 * linking or unlinking nodes in the walked subtree invalidates them.
 */
#ifndef ZODOVAR9_WALKS_HPP
#define ZODOVAR9_WALKS_HPP

#include <zodovar9/element_table.hpp>

#include <cstddef>
#include <deque>
#include <iterator>
#include <ranges>
#include <system_error>
#include <type_traits>
#include <utility>

namespace zodovar9 {

template <class T, bool Const>
class basic_node_ref;
template <class T>
class tree;

/// @cond INTERNAL
namespace detail {

// The subtree's top node's first leaf, down the first children.
inline cstd_status first_leaf(const cstd_tree *&at) noexcept
{
    for (;;) {
        const cstd_tree *child = nullptr;
        cstd_status status = cstd_tree_getFirstChildConst(at, &child);
        if (status == cstd_tree_errNoChild) return 0;
        if (status < 0) return status;
        at = child;
    }
}

// One policy per walk: `start` finds the first node and the walk's state,
// `next` steps (to none at the end). Both return a failed call's status.
struct pre_order_walk {
    static constexpr const char *name = "pre_order";
    struct state {
        const cstd_tree *stop = nullptr; // the node after the subtree, or none
    };
    static cstd_status start(const cstd_tree *&at, state &s) noexcept { return zodovar9_subtreeEnd(at, &s.stop); }
    static cstd_status next(const cstd_tree *&at, state &s) noexcept
    {
        const cstd_tree *next = nullptr;
        cstd_status status = cstd_tree_getNextSearchElementConst(at, cstd_tree_searchDepthFirst, &next);
        if (status == cstd_tree_errSearchEnd) status = 0;
        at = status < 0 || next == s.stop ? nullptr : next;
        return status;
    }
};

// Post-order: the first leaf; then after each node the first leaf of its
// next sibling's subtree, or its parent; the top node last.
struct post_order_walk {
    static constexpr const char *name = "post_order";
    struct state {
        const cstd_tree *top = nullptr;
    };
    static cstd_status start(const cstd_tree *&at, state &s) noexcept
    {
        s.top = at;
        return first_leaf(at);
    }
    static cstd_status next(const cstd_tree *&at, state &s) noexcept
    {
        if (at == s.top) {
            at = nullptr;
            return 0;
        }
        const cstd_tree *sibling = nullptr;
        cstd_status status = cstd_tree_getNextSiblingConst(at, &sibling);
        if (status >= 0) {
            at = sibling;
            return first_leaf(at);
        }
        if (status == cstd_tree_errNoNextSibling) return cstd_tree_getParentConst(at, &at);
        return status;
    }
};

// The leaves in pre-order: from a leaf, up to the nearest node below the top
// that has a next sibling, then down that sibling's first children.
struct leaves_walk {
    static constexpr const char *name = "leaves";
    using state = post_order_walk::state;
    static cstd_status start(const cstd_tree *&at, state &s) noexcept { return post_order_walk::start(at, s); }
    static cstd_status next(const cstd_tree *&at, state &s) noexcept
    {
        for (; at != s.top;) {
            const cstd_tree *sibling = nullptr;
            cstd_status status = cstd_tree_getNextSiblingConst(at, &sibling);
            if (status >= 0) {
                at = sibling;
                return first_leaf(at);
            }
            if (status != cstd_tree_errNoNextSibling) return status;
            status = cstd_tree_getParentConst(at, &at);
            if (status < 0) return status;
        }
        at = nullptr;
        return 0;
    }
};

// Level by level, each level in order: the queue holds the nodes seen but
// not yet visited.
struct breadth_first_walk {
    static constexpr const char *name = "breadth_first";
    struct state {
        std::deque<const cstd_tree *> queue;
    };
    static cstd_status start(const cstd_tree *&, state &) noexcept { return 0; }
    static cstd_status next(const cstd_tree *&at, state &s) noexcept
    {
        const void *begin = nullptr;
        uint32_t size = 0;
        cstd_status status = cstd_vector_cstd_treePtr_getBeginSize32Const(&at->children, &begin, &size);
        if (status < 0) return status;
        try {
            auto children = static_cast<const cstd_tree *const *>(begin);
            s.queue.insert(s.queue.end(), children, children + size);
        } catch (...) { // only the queue's allocation throws
            return csys_errNoMemory;
        }
        at = nullptr;
        if (s.queue.empty()) return 0;
        at = s.queue.front();
        s.queue.pop_front();
        return 0;
    }
};

// From the parent up to the root, as many steps as the depth: a loop of
// parent links is reported when the walk starts.
struct ancestors_walk {
    static constexpr const char *name = "ancestors";
    struct state {
        int32_t left = 0;
    };
    static cstd_status start(const cstd_tree *&at, state &s) noexcept
    {
        cstd_status status = cstd_tree_getDepthFromRoot(at, &s.left);
        return status < 0 ? status : next(at, s);
    }
    static cstd_status next(const cstd_tree *&at, state &s) noexcept
    {
        if (s.left-- == 0) {
            at = nullptr;
            return 0;
        }
        return cstd_tree_getParentConst(at, &at);
    }
};

// What an element of a walk is: the node's handle, or its payload.
template <class T, bool Const, bool Values>
struct element_of {
    using node_type = std::conditional_t<Const, const cstd_tree, cstd_tree>;
    using value_type = std::conditional_t<Values, T, basic_node_ref<T, Const>>;
    using reference = std::conditional_t<Values, std::conditional_t<Const, const T &, T &>, basic_node_ref<T, Const>>;
    static reference of(const cstd_tree *node) noexcept
    {
        // The walks read through const records; a mutable view's nodes are the caller's own mutable ones.
        auto *mutable_node = const_cast<node_type *>(node);
        if constexpr (Values)
            return *static_cast<std::remove_reference_t<reference> *>(data_of(mutable_node));
        else
            return reference(mutable_node);
    }
};

// Reports a failed step: into the walk's error code, else as an exception.
inline void fail(std::error_code *ec, cstd_status status, const char *operation)
{
    if (!ec) raise(make_error_code(status), operation);
    set(*ec, status);
}

} // namespace detail
/// @endcond

/**
 * A walk of a subtree (or of a node's ancestors) as a forward view. `Walk` is
 * the order; elements are node handles, or payload references (`T&`, `const
 * T&` when `Const`) when `Values` is true.
 */
template <class T, bool Const, class Walk, bool Values = false>
class walk_view : public std::ranges::view_base {
    using element = detail::element_of<T, Const, Values>;

public:
    /** The node record type. */
    using node_type = typename element::node_type;

    /** A forward iterator over the walk. */
    class iterator {
    public:
        /** The element type: the node handle, or `T`. */
        using value_type = typename element::value_type;
        /** What dereferencing gives: a node handle, or `T&` (`const T&`). */
        using reference = typename element::reference;
        /** Distances between iterators. */
        using difference_type = std::ptrdiff_t;
        /** Forward in the sense of the C++20 iterator concepts. */
        using iterator_concept = std::forward_iterator_tag;
        /** Handles are values, so for older algorithms a walk of nodes is an input iterator. */
        using iterator_category = std::conditional_t<Values, std::forward_iterator_tag, std::input_iterator_tag>;

        /** The end iterator. */
        iterator() = default;
        /** @return the current node's handle or payload. */
        reference operator*() const noexcept { return element::of(at_); }
        /** @return the current node's handle, whatever the walk yields. */
        basic_node_ref<T, Const> node() const noexcept
        {
            return basic_node_ref<T, Const>(const_cast<node_type *>(at_));
        }
        /** Steps to the next node; at a failure, throws `error` or (for a walk
         *  made with an error code) sets the code and ends the walk. */
        iterator &operator++()
        {
            cstd_status status = Walk::next(at_, state_);
            if (status < 0) {
                at_ = nullptr;
                detail::fail(ec_, status, Walk::name);
            }
            return *this;
        }
        /** Post-increment. */
        iterator operator++(int)
        {
            iterator before = *this;
            ++*this;
            return before;
        }
        /** Iterators are equal at the same node (or both at the end). */
        friend bool operator==(const iterator &a, const iterator &b) noexcept { return a.at_ == b.at_; }

    private:
        template <class, bool, class, bool>
        friend class walk_view;
        const cstd_tree *at_ = nullptr;
        typename Walk::state state_{};
        std::error_code *ec_ = nullptr;
    };

    /** An empty walk. */
    walk_view() = default;
    /** The walk from `node` (empty for none); throws `error` if the library
     *  fails while finding where it starts. */
    explicit walk_view(node_type *node) { init(node); }
    /** The walk from `node`, reporting into `ec`, which must outlive the
     *  walk's iterators: a failure sets it and ends (or empties) the walk. */
    walk_view(node_type *node, std::error_code &ec) noexcept
    {
        ec.clear();
        first_.ec_ = &ec;
        init(node);
    }
    /** The same walk, yielding the other kind of element. */
    template <bool Other>
    explicit walk_view(const walk_view<T, Const, Walk, Other> &other) noexcept
    {
        first_.at_ = other.first_.at_, first_.state_ = other.first_.state_, first_.ec_ = other.first_.ec_;
    }

    /** @return an iterator at the walk's first node. */
    iterator begin() const { return first_; }
    /** @return the end iterator. */
    iterator end() const noexcept { return iterator(); }
    /** @return true for a walk without nodes. */
    bool empty() const noexcept { return first_.at_ == nullptr; }
    /** @return true unless empty. */
    explicit operator bool() const noexcept { return !empty(); }
    /** @return the first element; the walk must not be empty. */
    typename iterator::reference front() const noexcept { return *first_; }

private:
    template <class, bool, class, bool>
    friend class walk_view;
    void init(node_type *node)
    {
        first_.at_ = node;
        if (!node) return;
        cstd_status status = Walk::start(first_.at_, first_.state_);
        if (status < 0) {
            first_.at_ = nullptr;
            detail::fail(first_.ec_, status, Walk::name);
        }
    }
    iterator first_;
};

/** A subtree in pre-order: the node itself, then each child's subtree in
 *  order. Elements are payload references (`T&`), or node handles when
 *  `Nodes` is true. Each step is the library's own depth-first search step. */
template <class T, bool Const, bool Nodes>
using pre_order_view = walk_view<T, Const, detail::pre_order_walk, !Nodes>;
/** A subtree in post-order: each child's subtree in order, then the node. */
template <class T, bool Const, bool Values = false>
using post_order_view = walk_view<T, Const, detail::post_order_walk, Values>;
/** A subtree level by level, each level in order. */
template <class T, bool Const, bool Values = false>
using breadth_first_view = walk_view<T, Const, detail::breadth_first_walk, Values>;
/** The leaves of a subtree (its nodes without children), in pre-order; a
 *  childless node is its own one leaf. */
template <class T, bool Const, bool Values = false>
using leaves_view = walk_view<T, Const, detail::leaves_walk, Values>;
/** A node's ancestors, from its parent up to the root; empty for a root. */
template <class T, bool Const, bool Values = false>
using ancestors_view = walk_view<T, Const, detail::ancestors_walk, Values>;

/**
 * A node's children as a random-access view of node handles (payload
 * references when `Values`), read from the children list as it stood when
 * the view was made.
 */
template <class T, bool Const, bool Values = false>
class children_view : public std::ranges::view_base {
    using element = detail::element_of<T, Const, Values>;

public:
    /** The node record type. */
    using node_type = typename element::node_type;

    /** A random-access iterator. */
    class iterator {
    public:
        /** The element type: the node handle, or `T`. */
        using value_type = typename element::value_type;
        /** What dereferencing gives: a node handle, or `T&` (`const T&`). */
        using reference = typename element::reference;
        /** Distances between positions. */
        using difference_type = std::ptrdiff_t;
        /** Random access in the sense of the C++20 iterator concepts. */
        using iterator_concept = std::random_access_iterator_tag;
        /** Handles are values, so for older algorithms a view of nodes is an input iterator. */
        using iterator_category = std::conditional_t<Values, std::random_access_iterator_tag, std::input_iterator_tag>;

        /** A singular iterator. */
        iterator() = default;
        /** @return the child here. */
        reference operator*() const noexcept { return element::of(*at_); }
        /** @return the child `n` places on. */
        reference operator[](difference_type n) const noexcept { return element::of(at_[n]); }
        /** @return the child's handle, whatever the view yields. */
        basic_node_ref<T, Const> node() const noexcept { return basic_node_ref<T, Const>(*at_); }
        /** Next child. */
        iterator &operator++() noexcept { return *this += 1; }
        /** Next child, giving the old position. */
        iterator operator++(int) noexcept { return std::exchange(*this, *this + 1); }
        /** Previous child. */
        iterator &operator--() noexcept { return *this -= 1; }
        /** Previous child, giving the old position. */
        iterator operator--(int) noexcept { return std::exchange(*this, *this - 1); }
        /** Moves `n` children on. */
        iterator &operator+=(difference_type n) noexcept
        {
            at_ += n;
            return *this;
        }
        /** Moves `n` children back. */
        iterator &operator-=(difference_type n) noexcept { return *this += -n; }
        /** `n` children on. */
        friend iterator operator+(iterator i, difference_type n) noexcept { return i += n; }
        /** `n` children on. */
        friend iterator operator+(difference_type n, iterator i) noexcept { return i += n; }
        /** `n` children back. */
        friend iterator operator-(iterator i, difference_type n) noexcept { return i -= n; }
        /** The number of children between two positions. */
        friend difference_type operator-(const iterator &a, const iterator &b) noexcept { return a.at_ - b.at_; }
        /** Equal at the same position. */
        friend bool operator==(const iterator &, const iterator &) = default;
        /** Ordered by position. */
        friend auto operator<=>(const iterator &, const iterator &) = default;

    private:
        friend class children_view;
        explicit iterator(node_type *const *at) noexcept : at_(at) {}
        node_type *const *at_ = nullptr;
    };

    /** No children. */
    children_view() = default;
    /** The children of `node` (none for a null one); throws `error` if the library fails. */
    explicit children_view(node_type *node)
    {
        std::error_code ec;
        *this = children_view(node, ec);
        if (ec) detail::raise(ec, "children");
    }
    /** The children of `node`; on failure `ec` is set and the view empty. */
    children_view(node_type *node, std::error_code &ec) noexcept
    {
        ec.clear();
        if (!node) return;
        const void *begin = nullptr;
        uint32_t size = 0;
        cstd_status status = cstd_vector_cstd_treePtr_getBeginSize32Const(&node->children, &begin, &size);
        detail::set(ec, status);
        if (status < 0) return;
        begin_ = static_cast<node_type *const *>(begin);
        size_ = size;
    }
    /** The same children, yielding the other kind of element. */
    template <bool Other>
    explicit children_view(const children_view<T, Const, Other> &other) noexcept
        : begin_(other.begin_), size_(other.size_)
    {
    }

    /** @return the first child's position. */
    iterator begin() const noexcept { return iterator(begin_); }
    /** @return the position after the last child. */
    iterator end() const noexcept { return iterator(begin_ + size_); }
    /** @return the number of children. */
    std::size_t size() const noexcept { return size_; }
    /** @return true for a node without children. */
    bool empty() const noexcept { return size_ == 0; }
    /** @return true unless empty. */
    explicit operator bool() const noexcept { return size_ != 0; }
    /** @return child `i`, which must exist. */
    typename iterator::reference operator[](std::size_t i) const noexcept { return begin()[std::ptrdiff_t(i)]; }
    /** @return the first child, which must exist. */
    typename iterator::reference front() const noexcept { return *begin(); }
    /** @return the last child, which must exist. */
    typename iterator::reference back() const noexcept { return end()[-1]; }

private:
    template <class, bool, bool>
    friend class children_view;
    node_type *const *begin_ = nullptr;
    std::size_t size_ = 0;
};

/// @cond INTERNAL
namespace detail {
struct values_fn {
    template <class T, bool Const, class Walk, bool Values>
    walk_view<T, Const, Walk, true> operator()(const walk_view<T, Const, Walk, Values> &walk) const noexcept
    {
        return walk_view<T, Const, Walk, true>(walk);
    }
    template <class T, bool Const, bool Values>
    children_view<T, Const, true> operator()(const children_view<T, Const, Values> &children) const noexcept
    {
        return children_view<T, Const, true>(children);
    }
    template <class View>
    friend auto operator|(const View &view, const values_fn &values) noexcept -> decltype(values(view))
    {
        return values(view);
    }
};
} // namespace detail
/// @endcond

/**
 * Turns a walk or a children view of node handles into the same walk of
 * payload references: `for (std::string &s : node.children() | values)`, or
 * `values(node.post_order())`.
 */
inline constexpr detail::values_fn values{};

} // namespace zodovar9

/// @cond INTERNAL
template <class T, bool Const, class Walk, bool Values>
inline constexpr bool std::ranges::enable_borrowed_range<zodovar9::walk_view<T, Const, Walk, Values>> = true;
template <class T, bool Const, bool Values>
inline constexpr bool std::ranges::enable_borrowed_range<zodovar9::children_view<T, Const, Values>> = true;
/// @endcond

#endif // ZODOVAR9_WALKS_HPP
