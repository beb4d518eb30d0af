/**
 * @file errors.hpp
 * @brief The C++ layer's errors: statuses as `std::error_code`, the
 *        `zodovar9::errc` names and the exception `zodovar9::error`.
 *
 * Part of <zodovar9/tree.hpp>, the header to include.
 *
 * Every failure status becomes a `std::error_code` in `zodovar9::category()`,
 * whose messages say in words what happened. A code compares equal to its
 * `zodovar9::errc` name (`ec == zodovar9::errc::wrong_parent`), and the
 * system library's statuses also to their `std::errc` counterparts
 * (`ec == std::errc::not_enough_memory`). Functions throw `zodovar9::error`
 * by default; the overloads that take a `std::error_code&` throw nothing and
 * report there instead.
 */
#ifndef ZODOVAR9_ERRORS_HPP
#define ZODOVAR9_ERRORS_HPP

#include <zodovar9/zodovar9.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>

/** The C++ layer of the zodovar9 tree library. */
namespace zodovar9 {

/** Status of an element-table slot made by this layer whose T threw an
 *  exception other than `std::bad_alloc` (`cstd_tree_errPayloadThrew`). */
inline constexpr cstd_status errPayloadThrew = cstd_tree_errPayloadThrew;
/** Status of an element-table slot made by this layer whose T lacks the
 *  operation asked for: a default constructor, a copy constructor or a copy
 *  assignment (`cstd_tree_errNoSuchOperation`). */
inline constexpr cstd_status errNoSuchOperation = cstd_tree_errNoSuchOperation;

/** The statuses the C++ layer reports, by name; each value is the status. */
enum class errc : cstd_status {
    /** A child that already has a parent, or a node that is not a child of
     *  the node given (a sibling to place beside, a child to remove). */
    wrong_parent = cstd_tree_errWrongParent,
    /** The node is a root: it has no place among siblings to move or swap. */
    no_parent = cstd_tree_errNoParent,
    no_child = cstd_tree_errNoChild,              ///< the node has no children
    no_prev_sibling = cstd_tree_errNoPrevSibling, ///< the node is a first child
    no_next_sibling = cstd_tree_errNoNextSibling, ///< the node is a last child
    search_end = cstd_tree_errSearchEnd,          ///< a walk passed the tree's last node
    /** The link would put a node below itself or its own descendant; or the
     *  parent links already loop. */
    parent_cycle = cstd_tree_errParentCycle,
    payload_mismatch = cstd_tree_errPayloadMismatch,  ///< payloads of different kinds
    payload_threw = cstd_tree_errPayloadThrew,        ///< T threw (not `std::bad_alloc`)
    no_such_operation = cstd_tree_errNoSuchOperation, ///< T cannot do what was asked
    no_memory = csys_errNoMemory,                     ///< no memory
    /** An argument refused: an empty tree or a null handle where a node is
     *  needed, a node of another tree, or what the system library refuses. */
    invalid_argument = csys_errInvalidArgument,
    out_of_range = csys_errOutOfRange,    ///< an index at or past the end
    overflow = csys_errOverflow,          ///< a count or size too large
    block_not_live = csys_errBlockNotLive ///< a block released twice
};

/// @cond INTERNAL
namespace detail {

/** The category behind `zodovar9::category()`. */
class status_category final : public std::error_category {
public:
    const char *name() const noexcept override { return "zodovar9"; }

    std::string message(int code) const override
    {
        if (code == csys_errInvalidArgument)
            return "an argument was refused: an empty tree or a null handle, a node of another tree, or a value the "
                   "system library does not accept";
        std::string text = zodovar9_statusText(code);
        // A status that no library of the product line defines came from a
        // slot of the caller's own: its number is all there is to add.
        if (code < 0 && text == zodovar9_statusText(CSTD_STATUS_FAILURE(0))) {
            char number[24];
            std::snprintf(number, sizeof number, " (0x%08lx)", static_cast<unsigned long>(static_cast<uint32_t>(code)));
            text += number;
        }
        return text;
    }

    // The system library's statuses compare equal to their std::errc
    // counterparts, so `ec == std::errc::not_enough_memory` works.
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

/** A named status as an error code, so that `ec == errc::wrong_parent` works. */
inline std::error_code make_error_code(errc e) noexcept { return {static_cast<int>(e), category()}; }

/** What the throwing functions throw for a failure status. */
class error : public std::system_error {
public:
    /** Wraps `code`; `what()` names the operation and says what happened. */
    error(std::error_code code, const char *operation) : std::system_error(code, operation) {}

    /** @return the library's status word. */
    cstd_status status() const noexcept { return static_cast<cstd_status>(code().value()); }
};

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

// The throwing form of an operation: runs its reporting form `op(ec)` and
// throws what it reports.
template <class Op>
auto throwing(const char *operation, Op &&op)
{
    caught() = nullptr;
    std::error_code ec;
    if constexpr (std::is_void_v<decltype(op(ec))>) {
        op(ec);
        if (ec) raise(ec, operation);
    } else {
        auto result = op(ec);
        if (ec) raise(ec, operation);
        return result;
    }
}

// The reporting form's result, with any exception a slot kept let go.
template <class R>
R reported(R result) noexcept
{
    caught() = nullptr;
    return result;
}

} // namespace detail
/// @endcond

} // namespace zodovar9

/// @cond INTERNAL
template <>
struct std::is_error_code_enum<zodovar9::errc> : std::true_type {
};
/// @endcond

#endif // ZODOVAR9_ERRORS_HPP
