/**
 * @file tree.hpp
 * @brief The C++20 layer: owning trees of any C++ type, node handles,
 *        ranges, and statuses as `std::error_code`.
 *
 * Header-only, over the exported C functions alone. Three payload kinds map
 * onto the library's own typed families: `tree<int32_t>` (`cstd_tree32s`),
 * `tree<cmath_xformLinear>` (`cstd_tree_cmath_xformLinear`) and
 * `tree<cstd_tree>`, the tree of trees (`cstd_tree_tree`). Every other T gets
 * an element table made here from T's own default constructor, copy
 * constructor, copy assignment and destructor, so a `tree<std::string>` holds
 * real strings. The table's slots catch every exception: nothing is thrown
 * across the C interface. A slot whose T threw returns `errPayloadThrew`
 * (`csys_errNoMemory` for `std::bad_alloc`), and the throwing functions of
 * this header then rethrow T's own exception, as a standard container does.
 *
 * Errors. Every other failure status becomes a `std::error_code` in
 * `zodovar9::category()`, whose messages are the status names. Functions
 * throw `zodovar9::error` by default; the overloads that take a
 * `std::error_code&` throw nothing and report there instead.
 *
 * Threads: as for the C interface, a tree is used by one thread at a time.
 */
#ifndef ZODOVAR9_TREE_HPP
#define ZODOVAR9_TREE_HPP

#include <zodovar9/zodovar9.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <iterator>
#include <new>
#include <ranges>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

/** The C++ layer of the zodovar9 tree library. */
namespace zodovar9 {

/** Status of an element-table slot made by this header whose T threw an
 *  exception other than `std::bad_alloc` (`cstd_tree_errPayloadThrew`). */
inline constexpr cstd_status errPayloadThrew = cstd_tree_errPayloadThrew;
/** Status of an element-table slot made by this header whose T lacks the
 *  operation asked for: a default constructor, a copy constructor or a copy
 *  assignment (`cstd_tree_errNoSuchOperation`). */
inline constexpr cstd_status errNoSuchOperation = cstd_tree_errNoSuchOperation;

/// @cond INTERNAL
namespace detail {

/** The category behind `zodovar9::category()`. */
class status_category final : public std::error_category {
public:
    /** @return "zodovar9". */
    const char *name() const noexcept override { return "zodovar9"; }

    /** @return the status's name, or its hexadecimal value when unknown. */
    std::string message(int code) const override
    {
        switch (code) {
        case 0: return "success";
        case cstd_tree_errWrongParent: return "cstd_tree_errWrongParent";
        case cstd_tree_errNoParent: return "cstd_tree_errNoParent";
        case cstd_tree_errNoChild: return "cstd_tree_errNoChild";
        case cstd_tree_errNoPrevSibling: return "cstd_tree_errNoPrevSibling";
        case cstd_tree_errNoNextSibling: return "cstd_tree_errNoNextSibling";
        case cstd_tree_errSearchEnd: return "cstd_tree_errSearchEnd";
        case cstd_tree_errParentCycle: return "cstd_tree_errParentCycle";
        case cstd_tree_errPayloadMismatch: return "cstd_tree_errPayloadMismatch";
        case csys_errNoMemory: return "csys_errNoMemory";
        case csys_errInvalidArgument: return "csys_errInvalidArgument";
        case csys_errOutOfRange: return "csys_errOutOfRange";
        case csys_errOverflow: return "csys_errOverflow";
        case cstd_tree_errPayloadThrew: return "cstd_tree_errPayloadThrew";
        case cstd_tree_errNoSuchOperation: return "cstd_tree_errNoSuchOperation";
        default: break;
        }
        char text[32];
        std::snprintf(text, sizeof text, "status 0x%08lx", static_cast<unsigned long>(static_cast<uint32_t>(code)));
        return text;
    }

    /** The system library's statuses compare equal to their `std::errc`
     *  counterparts, so `ec == std::errc::not_enough_memory` works. */
    std::error_condition default_error_condition(int code) const noexcept override
    {
        switch (code) {
        case csys_errNoMemory: return std::errc::not_enough_memory;
        case csys_errInvalidArgument: return std::errc::invalid_argument;
        case csys_errOutOfRange: return std::errc::result_out_of_range;
        case csys_errOverflow: return std::errc::value_too_large;
        default: return {code, *this};
        }
    }
};

} // namespace detail
/// @endcond

/** The `zodovar9` error category: values are `cstd_status` words. */
inline const std::error_category &category() noexcept
{
    static const detail::status_category instance;
    return instance;
}

/** A status as an error code: empty for zero or positive (success). */
inline std::error_code make_error_code(cstd_status status) noexcept
{
    return status < 0 ? std::error_code(static_cast<int>(status), category()) : std::error_code();
}

/** What the throwing functions throw for a failure status. */
class error : public std::system_error {
public:
    /** Wraps `code`; `what()` names the operation and the status. */
    error(std::error_code code, const char *operation) : std::system_error(code, operation) {}

    /** @return the library's status word. */
    cstd_status status() const noexcept { return static_cast<cstd_status>(code().value()); }
};

template <class T>
class tree;
template <class T, bool Const>
class basic_node_ref;

/** A mutable handle of one node of a `tree<T>`; does not own it. */
template <class T>
using node_ref = basic_node_ref<T, false>;
/** A read-only handle of one node of a `tree<T>`; does not own it. */
template <class T>
using const_node_ref = basic_node_ref<T, true>;

/// @cond INTERNAL
namespace detail {

// The exception that a slot caught, kept for the throwing function that made
// the call to rethrow. One per thread, as a tree is used by one thread.
inline std::exception_ptr &caught() noexcept
{
    static thread_local std::exception_ptr exception;
    return exception;
}

template <class F>
cstd_status guarded(F &&f) noexcept
{
    try {
        f();
        return 0;
    } catch (const std::bad_alloc &) {
        caught() = std::current_exception();
        return csys_errNoMemory;
    } catch (...) {
        caught() = std::current_exception();
        return errPayloadThrew;
    }
}

inline void set(std::error_code &ec, cstd_status status) noexcept { ec = make_error_code(status); }

// Throws for a failed operation: T's own exception when a slot caught one for
// this status, else zodovar9::error.
[[noreturn]] inline void raise(const std::error_code &ec, const char *operation)
{
    std::exception_ptr exception = std::exchange(caught(), nullptr);
    if (exception && (ec.value() == errPayloadThrew || ec.value() == csys_errNoMemory))
        std::rethrow_exception(exception);
    throw error(ec, operation);
}

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

// The node after the subtree of `node` in pre-order, or none: where a walk
// that began at `node` leaves its subtree.
inline cstd_status end_of_subtree(const cstd_tree *node, const cstd_tree **stop) noexcept
{
    for (;;) {
        uint32_t has = 0;
        cstd_status status = cstd_tree_hasNextSibling(node, &has);
        if (status < 0) return status;
        if (has) return cstd_tree_getNextSiblingConst(node, stop);
        const cstd_tree *parent = nullptr;
        if (cstd_tree_getParentConst(node, &parent) < 0) {
            *stop = nullptr;
            return 0;
        }
        node = parent;
    }
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
        status = end_of_subtree(source, &stop);
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

} // namespace detail
/// @endcond

/**
 * The nodes of a subtree in depth-first pre-order, as a
 * `std::ranges::forward_range`: the node itself, then each child's subtree
 * in order. Each step is the library's own (`cstd_tree_getNextSearchElement`
 * with `cstd_tree_searchDepthFirst`); the range ends where the walk leaves
 * the subtree it began at. Elements are payload references (`T&`), or node
 * handles when `Nodes` is true. Attaching or removing nodes in the subtree
 * while walking it invalidates the iterators.
 */
template <class T, bool Const, bool Nodes>
class pre_order_view : public std::ranges::view_interface<pre_order_view<T, Const, Nodes>> {
    using node_type = std::conditional_t<Const, const cstd_tree, cstd_tree>;

public:
    /** A forward iterator over the walk. */
    class iterator {
    public:
        /** The element type: `T`, or the node handle. */
        using value_type = std::conditional_t<Nodes, basic_node_ref<T, Const>, T>;
        /** What dereferencing gives: `T&` (`const T&`), or a node handle. */
        using reference =
            std::conditional_t<Nodes, basic_node_ref<T, Const>, std::conditional_t<Const, const T &, T &>>;
        /** Distances between iterators. */
        using difference_type = std::ptrdiff_t;
        /** Forward in the sense of the C++20 iterator concepts. */
        using iterator_concept = std::forward_iterator_tag;
        /** Handles are values, so for older algorithms the node walk is an input iterator. */
        using iterator_category = std::conditional_t<Nodes, std::input_iterator_tag, std::forward_iterator_tag>;

        /** The end iterator. */
        iterator() = default;
        /** @return the current node's payload or handle. */
        reference operator*() const
        {
            if constexpr (Nodes)
                return basic_node_ref<T, Const>(current_);
            else
                return *static_cast<std::conditional_t<Const, const T, T> *>(detail::data_of(current_));
        }
        /** Steps to the next node of the subtree; throws `error` if the library fails. */
        iterator &operator++()
        {
            node_type *next = nullptr;
            cstd_status status;
            if constexpr (Const)
                status = cstd_tree_getNextSearchElementConst(current_, cstd_tree_searchDepthFirst, &next);
            else
                status = cstd_tree_getNextSearchElement(current_, cstd_tree_searchDepthFirst, &next);
            if (status == cstd_tree_errSearchEnd || (status >= 0 && next == stop_))
                current_ = nullptr;
            else if (status < 0)
                detail::raise(make_error_code(status), "pre_order");
            else
                current_ = next;
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
        friend bool operator==(const iterator &a, const iterator &b) noexcept { return a.current_ == b.current_; }

    private:
        friend class pre_order_view;
        iterator(node_type *current, const cstd_tree *stop) noexcept : current_(current), stop_(stop) {}
        node_type *current_ = nullptr;
        const cstd_tree *stop_ = nullptr;
    };

    /** An empty walk. */
    pre_order_view() = default;
    /** The walk of `node`'s subtree (empty for none); throws `error` if the
     *  library fails while finding where the subtree ends. */
    explicit pre_order_view(node_type *node) : first_(node)
    {
        if (node) {
            cstd_status status = detail::end_of_subtree(node, &stop_);
            if (status < 0) detail::raise(make_error_code(status), "pre_order");
        }
    }
    /** @return an iterator at the subtree's first node. */
    iterator begin() const noexcept { return iterator(first_, stop_); }
    /** @return the end iterator. */
    iterator end() const noexcept { return iterator(nullptr, stop_); }

private:
    node_type *first_ = nullptr;
    const cstd_tree *stop_ = nullptr;
};

/**
 * A node's children as a random-access range of node handles, read from the
 * children list as it stood when the range was made: attaching or removing a
 * child of that node invalidates it, as changing a `std::vector` does.
 */
template <class T, bool Const>
class children_view : public std::ranges::view_interface<children_view<T, Const>> {
    using node_type = std::conditional_t<Const, const cstd_tree, cstd_tree>;

public:
    /** A random-access iterator yielding node handles. */
    class iterator {
    public:
        /** Node handles. */
        using value_type = basic_node_ref<T, Const>;
        /** Dereferencing gives a handle by value. */
        using reference = basic_node_ref<T, Const>;
        /** Distances between positions. */
        using difference_type = std::ptrdiff_t;
        /** Random access in the sense of the C++20 iterator concepts. */
        using iterator_concept = std::random_access_iterator_tag;
        /** Handles are values, so for older algorithms an input iterator. */
        using iterator_category = std::input_iterator_tag;

        /** A singular iterator. */
        iterator() = default;
        /** @return the child here. */
        reference operator*() const noexcept { return reference(*at_); }
        /** @return the child `n` places on. */
        reference operator[](difference_type n) const noexcept { return reference(at_[n]); }
        /** Next child. */
        iterator &operator++() noexcept
        {
            ++at_;
            return *this;
        }
        /** Next child, giving the old position. */
        iterator operator++(int) noexcept
        {
            iterator b = *this;
            ++at_;
            return b;
        }
        /** Previous child. */
        iterator &operator--() noexcept
        {
            --at_;
            return *this;
        }
        /** Previous child, giving the old position. */
        iterator operator--(int) noexcept
        {
            iterator b = *this;
            --at_;
            return b;
        }
        /** Moves `n` children on. */
        iterator &operator+=(difference_type n) noexcept
        {
            at_ += n;
            return *this;
        }
        /** Moves `n` children back. */
        iterator &operator-=(difference_type n) noexcept
        {
            at_ -= n;
            return *this;
        }
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
    /** The children of `node`; throws `error` if the library fails. */
    explicit children_view(node_type *node)
    {
        std::error_code ec;
        *this = children_view(node, ec);
        if (ec) detail::raise(ec, "children");
    }
    /** The children of `node`; on failure `ec` is set and the range empty. */
    children_view(node_type *node, std::error_code &ec) noexcept
    {
        uint32_t size = 0;
        cstd_status status;
        if constexpr (Const) {
            const void *begin = nullptr;
            status = cstd_vector_cstd_treePtr_getBeginSize32Const(&node->children, &begin, &size);
            begin_ = static_cast<node_type *const *>(begin);
        } else {
            void *begin = nullptr;
            status = cstd_vector_cstd_treePtr_getBeginSize32(&node->children, &begin, &size);
            begin_ = static_cast<node_type *const *>(begin);
        }
        detail::set(ec, status);
        size_ = status < 0 ? 0 : size;
    }
    /** @return the first child's position. */
    iterator begin() const noexcept { return iterator(begin_); }
    /** @return the position after the last child. */
    iterator end() const noexcept { return iterator(begin_ + size_); }
    /** @return the number of children. */
    std::size_t size() const noexcept { return size_; }

private:
    node_type *const *begin_ = nullptr;
    std::size_t size_ = 0;
};

/**
 * A handle of one node of a `tree<T>`: a pointer that navigates, reads and
 * (unless `Const`) changes the tree. It does not own the node; it is valid
 * while the node lives. A handle may be null (no node), which is what the
 * navigation functions give when there is no such neighbour.
 */
template <class T, bool Const>
class basic_node_ref {
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

    /** @return the parent, or null for a root. */
    basic_node_ref parent() const noexcept
    {
        node_type *parent = nullptr;
        if constexpr (Const)
            (void)cstd_tree_getParentConst(node_, &parent);
        else
            (void)cstd_tree_getParent(node_, &parent);
        return basic_node_ref(parent);
    }
    /** @return the root of the tree that holds this node. */
    basic_node_ref root() const noexcept
    {
        basic_node_ref at = *this;
        for (basic_node_ref up = at.parent(); up; up = up.parent()) at = up;
        return at;
    }
    /** @return the first child, or null; throws `error` if the library fails. */
    basic_node_ref first_child() const
    {
        std::error_code ec;
        basic_node_ref r = first_child(ec);
        if (ec) detail::raise(ec, "first_child");
        return r;
    }
    /** @return the first child, or null (also on failure, with `ec` set). */
    basic_node_ref first_child(std::error_code &ec) const noexcept
    {
        node_type *child = nullptr;
        cstd_status status;
        if constexpr (Const)
            status = cstd_tree_getFirstChildConst(node_, &child);
        else
            status = cstd_tree_getFirstChild(node_, &child);
        return found(status, child, ec, cstd_tree_errNoChild);
    }
    /** @return the next sibling, or null; throws `error` if the library fails. */
    basic_node_ref next_sibling() const
    {
        std::error_code ec;
        basic_node_ref r = next_sibling(ec);
        if (ec) detail::raise(ec, "next_sibling");
        return r;
    }
    /** @return the next sibling, or null (also on failure, with `ec` set). */
    basic_node_ref next_sibling(std::error_code &ec) const noexcept
    {
        node_type *sibling = nullptr;
        cstd_status status;
        if constexpr (Const)
            status = cstd_tree_getNextSiblingConst(node_, &sibling);
        else
            status = cstd_tree_getNextSibling(node_, &sibling);
        return found(status, sibling, ec, cstd_tree_errNoNextSibling, cstd_tree_errNoParent);
    }
    /** @return the previous sibling, or null; throws `error` if the library fails. */
    basic_node_ref prev_sibling() const
    {
        std::error_code ec;
        basic_node_ref r = prev_sibling(ec);
        if (ec) detail::raise(ec, "prev_sibling");
        return r;
    }
    /** @return the previous sibling, or null (also on failure, with `ec` set). */
    basic_node_ref prev_sibling(std::error_code &ec) const noexcept
    {
        node_type *sibling = nullptr;
        cstd_status status;
        if constexpr (Const)
            status = cstd_tree_getPrevSiblingConst(node_, &sibling);
        else
            status = cstd_tree_getPrevSibling(node_, &sibling);
        return found(status, sibling, ec, cstd_tree_errNoPrevSibling, cstd_tree_errNoParent);
    }
    /** @return the number of ancestors: 0 for a root; throws `error` on a
     *  cycle of parent links. */
    std::size_t depth() const
    {
        std::error_code ec;
        std::size_t d = depth(ec);
        if (ec) detail::raise(ec, "depth");
        return d;
    }
    /** @return the number of ancestors (0 on failure, with `ec` set). */
    std::size_t depth(std::error_code &ec) const noexcept
    {
        int32_t d = 0;
        cstd_status status = cstd_tree_getDepthFromRoot(node_, &d);
        detail::set(ec, status);
        return status < 0 ? 0 : static_cast<std::size_t>(d);
    }
    /** @return the children, a random-access range of handles. */
    children_view<T, Const> children() const { return children_view<T, Const>(node_); }
    /** @return the children (empty on failure, with `ec` set). */
    children_view<T, Const> children(std::error_code &ec) const noexcept { return children_view<T, Const>(node_, ec); }
    /** @return the number of children. */
    std::size_t child_count() const { return children().size(); }
    /** @return child `i`; throws `error` (`csys_errOutOfRange`) past the last. */
    basic_node_ref child(std::size_t i) const
    {
        std::error_code ec;
        basic_node_ref r = child(i, ec);
        if (ec) detail::raise(ec, "child");
        return r;
    }
    /** @return child `i`, or null with `ec` set (`csys_errOutOfRange` past the last). */
    basic_node_ref child(std::size_t i, std::error_code &ec) const noexcept
    {
        children_view<T, Const> all(node_, ec);
        if (!ec && i >= all.size()) detail::set(ec, csys_errOutOfRange);
        return ec ? basic_node_ref() : all.begin()[static_cast<std::ptrdiff_t>(i)];
    }
    /** @return this node's subtree in pre-order, as payload references. */
    pre_order_view<T, Const, false> pre_order() const { return pre_order_view<T, Const, false>(node_); }
    /** @return this node's subtree in pre-order, as node handles. */
    pre_order_view<T, Const, true> pre_order_nodes() const { return pre_order_view<T, Const, true>(node_); }

    /** @return a deep copy of this node's subtree as a tree of its own
     *  (exactly one copy of each payload); on failure nothing is left and the
     *  source is unchanged. Throws T's exception, or `error`. */
    tree<T> clone() const;
    /** @return a deep copy of this subtree, or an empty tree with `ec` set. */
    tree<T> clone(std::error_code &ec) const noexcept;

    /** Appends a new child holding a copy of `value`. @return its handle.
     *  Throws T's exception, or `error`; on failure nothing changed. */
    basic_node_ref add_child(const T &value) const requires(!Const) { return emplace_child(value); }
    /** Appends a new child holding `value`, moved. @return its handle. */
    basic_node_ref add_child(T &&value) const requires(!Const) { return emplace_child(std::move(value)); }
    /** Appends a new child holding a copy of `value`. @return its handle, or
     *  null with `ec` set (nothing changed). */
    basic_node_ref add_child(const T &value, std::error_code &ec) const noexcept requires(!Const)
    {
        basic_node_ref child = attach_new(ec, value);
        detail::caught() = nullptr;
        return child;
    }
    /** Appends a new child whose payload is built from `args`. @return its
     *  handle. Throws T's exception, or `error`; on failure nothing changed. */
    template <class... Args>
    basic_node_ref emplace_child(Args &&...args) const requires(!Const)
    {
        detail::caught() = nullptr;
        std::error_code ec;
        basic_node_ref child = attach_new(ec, std::forward<Args>(args)...);
        if (ec) detail::raise(ec, "add_child");
        return child;
    }
    /** Attaches the whole of `subtree` as the last child, which takes
     *  ownership of it (`subtree` is left empty). @return the attached root. */
    basic_node_ref add_child(tree<T> &&subtree) const requires(!Const)
    {
        std::error_code ec;
        basic_node_ref r = add_child(std::move(subtree), ec);
        if (ec) detail::raise(ec, "add_child");
        return r;
    }
    /** As `add_child(tree&&)`; on failure `subtree` keeps its nodes and `ec`
     *  is set (`csys_errInvalidArgument` for an empty tree). */
    basic_node_ref add_child(tree<T> &&subtree, std::error_code &ec) const noexcept requires(!Const);
    /** Detaches `child` with its subtree. @return the subtree, now owned by
     *  the caller; throws `error` (`cstd_tree_errWrongParent` if `child` is
     *  not a child of this node). */
    tree<T> remove_child(basic_node_ref child) const requires(!Const);
    /** As `remove_child(child)`; on failure an empty tree, with `ec` set. */
    tree<T> remove_child(basic_node_ref child, std::error_code &ec) const noexcept requires(!Const);

private:
    // A neighbour query's answer: the node, or null where the status says
    // there is none (`absent`, `alsoAbsent`: no error) or the query failed.
    static basic_node_ref found(cstd_status status, node_type *node, std::error_code &ec, cstd_status absent,
                                cstd_status alsoAbsent = 0) noexcept
    {
        detail::set(ec, status == absent || status == alsoAbsent ? 0 : status);
        return basic_node_ref(status < 0 ? nullptr : node);
    }
    template <class... Args>
    basic_node_ref attach_new(std::error_code &ec, Args &&...args) const noexcept
    {
        cstd_tree *child = nullptr;
        cstd_status status = detail::payload<T>::make(&child, std::forward<Args>(args)...);
        if (status >= 0) {
            status = cstd_tree_addChild(node_, child);
            if (status < 0) (void)cstd_tree_deleteThisAndAllDescendants(&child);
        }
        detail::set(ec, status);
        return basic_node_ref(status < 0 ? nullptr : child);
    }
    node_type *node_ = nullptr;
};

/**
 * An owning handle of a heap tree whose payloads are of type T.
 *
 * The tree is its root node and everything attached below it; the handle
 * deletes all of it when it is destroyed. An empty handle owns nothing.
 * Copying deep-copies (one payload copy per node); moving hands the nodes
 * over. `tree<int32_t>`, `tree<cmath_xformLinear>` and `tree<cstd_tree>` are
 * made of the library's typed families; a `tree<cstd_tree>` node's payload is
 * its family's payload node, which can root an inner tree of its own, and
 * copying such a tree copies the inner trees too.
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
    explicit tree(std::in_place_t, Args &&...args)
    {
        detail::caught() = nullptr;
        std::error_code ec;
        detail::set(ec, detail::payload<T>::make(&root_, std::forward<Args>(args)...));
        if (ec) detail::raise(ec, "tree");
    }
    /** @return a one-node tree holding a copy of `value`, or an empty tree
     *  with `ec` set. */
    static tree make(const T &value, std::error_code &ec) noexcept
    {
        tree t;
        detail::set(ec, detail::payload<T>::make(&t.root_, value));
        detail::caught() = nullptr;
        return t;
    }
    /** A deep copy of `other`. Throws T's exception, or `error`. */
    tree(const tree &other) : tree(other.clone()) {}
    /** Takes `other`'s nodes; `other` is left empty. */
    tree(tree &&other) noexcept : root_(std::exchange(other.root_, nullptr)) {}
    /** Deep-copies `other`; on failure this tree is unchanged. */
    tree &operator=(const tree &other)
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
    std::size_t size() const { return static_cast<std::size_t>(std::ranges::distance(pre_order_nodes())); }

    /** @return the root (null for an empty tree). */
    node_ref<T> root() noexcept { return node_ref<T>(root_); }
    /** @return the root (null for an empty tree). */
    const_node_ref<T> root() const noexcept { return const_node_ref<T>(root_); }
    /** @return the whole tree in pre-order, as payload references. */
    pre_order_view<T, false, false> pre_order() { return pre_order_view<T, false, false>(root_); }
    /** @return the whole tree in pre-order, as read-only payload references. */
    pre_order_view<T, true, false> pre_order() const { return pre_order_view<T, true, false>(root_); }
    /** @return the whole tree in pre-order, as node handles. */
    pre_order_view<T, false, true> pre_order_nodes() { return pre_order_view<T, false, true>(root_); }
    /** @return the whole tree in pre-order, as read-only node handles. */
    pre_order_view<T, true, true> pre_order_nodes() const { return pre_order_view<T, true, true>(root_); }

    /** @return a deep copy. Throws T's exception, or `error`; this tree is unchanged. */
    tree clone() const { return root_ ? root().clone() : tree(); }
    /** @return a deep copy, or an empty tree with `ec` set. */
    tree clone(std::error_code &ec) const noexcept
    {
        if (!root_) {
            ec.clear();
            return tree();
        }
        return root().clone(ec);
    }

    /** Deletes `node` and its whole subtree; the root's deletion empties the
     *  tree. Throws `error` (`csys_errInvalidArgument` for a node of
     *  another tree). */
    void erase(node_ref<T> node)
    {
        std::error_code ec;
        erase(node, ec);
        if (ec) detail::raise(ec, "erase");
    }
    /** As `erase(node)`, reporting in `ec`. */
    void erase(node_ref<T> node, std::error_code &ec) noexcept
    {
        if (!owns(node)) {
            detail::set(ec, csys_errInvalidArgument);
            return;
        }
        const bool is_root = node.get() == root_;
        cstd_tree *doomed = node.get();
        cstd_tree *const parent = doomed->parent;
        // A node leaves its parent's list before it is destroyed; a failed
        // deletion puts it back (last among its siblings).
        cstd_status status = parent ? cstd_tree_removeChild(parent, doomed) : 0;
        if (status >= 0) {
            status = cstd_tree_deleteThisAndAllDescendants(&doomed);
            if (status < 0 && parent) (void)cstd_tree_addChild(parent, doomed);
        }
        if (status >= 0 && is_root) root_ = nullptr;
        detail::set(ec, status);
    }

    /**
     * Deletes `node` alone and keeps its children: each former child becomes
     * the root of a tree of its own, and those trees are returned, in the
     * children's order, owned by the caller. They are not re-attached to
     * `node`'s parent. Releasing the root empties this tree.
     * Throws `error` (`csys_errInvalidArgument` for a node of another tree).
     */
    std::vector<tree> release(node_ref<T> node)
    {
        std::error_code ec;
        std::vector<tree> children = release(node, ec);
        if (ec) detail::raise(ec, "release");
        return children;
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
        const bool is_root = node.get() == root_;
        cstd_tree *doomed = node.get();
        cstd_tree *const parent = doomed->parent;
        cstd_status status = parent ? cstd_tree_removeChild(parent, doomed) : 0;
        const bool detached = status >= 0;
        if (detached) status = cstd_tree_deleteThisButNotDescendants(&doomed);
        if (status < 0) {
            if (detached && parent) (void)cstd_tree_addChild(parent, doomed);
            // Put back the children that the failed call already let go.
            for (cstd_tree *child : kept) {
                uint32_t has = 0;
                if (cstd_tree_hasParent(child, &has) >= 0 && !has) (void)cstd_tree_addChild(node.get(), child);
            }
            detail::set(ec, status);
            return result;
        }
        if (is_root) root_ = nullptr;
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
     *  payloads are all of type T as this header builds them. */
    static tree adopt(cstd_tree *root) noexcept
    {
        tree t;
        t.root_ = root;
        return t;
    }

private:
    bool owns(node_ref<T> node) const noexcept { return node && root_ && node.root().get() == root_; }

    cstd_tree *root_ = nullptr;
};

template <class T, bool Const>
tree<T> basic_node_ref<T, Const>::clone(std::error_code &ec) const noexcept
{
    cstd_tree *copy = nullptr;
    cstd_status status = detail::copy_subtree(node_, &copy, &detail::payload<T>::copy);
    detail::set(ec, status);
    detail::caught() = nullptr;
    return tree<T>::adopt(status < 0 ? nullptr : copy);
}

template <class T, bool Const>
tree<T> basic_node_ref<T, Const>::clone() const
{
    detail::caught() = nullptr;
    cstd_tree *copy = nullptr;
    cstd_status status = detail::copy_subtree(node_, &copy, &detail::payload<T>::copy);
    if (status < 0) detail::raise(make_error_code(status), "clone");
    return tree<T>::adopt(copy);
}

template <class T, bool Const>
basic_node_ref<T, Const> basic_node_ref<T, Const>::add_child(tree<T> &&subtree, std::error_code &ec) const noexcept
    requires(!Const)
{
    cstd_status status = subtree.empty() ? csys_errInvalidArgument : cstd_tree_addChild(node_, subtree.get());
    detail::set(ec, status);
    return basic_node_ref(status < 0 ? nullptr : subtree.disown());
}

template <class T, bool Const>
tree<T> basic_node_ref<T, Const>::remove_child(basic_node_ref child) const requires(!Const)
{
    std::error_code ec;
    tree<T> removed = remove_child(child, ec);
    if (ec) detail::raise(ec, "remove_child");
    return removed;
}

template <class T, bool Const>
tree<T> basic_node_ref<T, Const>::remove_child(basic_node_ref child, std::error_code &ec) const noexcept
    requires(!Const)
{
    cstd_status status = child ? cstd_tree_removeChild(node_, child.get()) : csys_errInvalidArgument;
    detail::set(ec, status);
    return tree<T>::adopt(status < 0 ? nullptr : child.get());
}

} // namespace zodovar9

// Both views only point into the tree, so their iterators outlive them.
/// @cond INTERNAL
template <class T, bool Const, bool Nodes>
inline constexpr bool std::ranges::enable_borrowed_range<zodovar9::pre_order_view<T, Const, Nodes>> = true;
template <class T, bool Const>
inline constexpr bool std::ranges::enable_borrowed_range<zodovar9::children_view<T, Const>> = true;
/// @endcond

#endif // ZODOVAR9_TREE_HPP
