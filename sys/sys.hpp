// The tree core's view of the system library: its functions and records, and
// the local clean-up list of a function that builds in steps.
#pragma once

#include <rezade9/rezade9.h>

#include <cstdint>

namespace zodovar9::sys {

// The system library takes untyped block addresses: `void **`.
template <class T>
inline void **blockAddress(T **pointer)
{
    return reinterpret_cast<void **>(pointer);
}

template <class T>
inline const void **blockAddress(const T **pointer)
{
    return reinterpret_cast<const void **>(pointer);
}

using CleanupFunction = cstd_status(CSTD_CALL *)(void *);

// A function's local clean-up list: after each step that a later failure must
// undo, `add` registers a record; `finish` hands the status word to
// `csys_cleanupExecute_`, which runs the records when it is negative, and
// yields the word as that call leaves it. Every return goes through
// `finish`, explicitly, because the returned status is the one it leaves.
template <std::uint32_t Capacity>
class CleanupList {
public:
    template <class Target, class Function>
    void add(std::uint32_t kind, std::uint32_t code, Target *target, Function function)
    {
        records_[count_++] = {kind, code, static_cast<void *>(target), reinterpret_cast<CleanupFunction>(function)};
    }

    cstd_status &status() { return status_; }

    [[nodiscard]] cstd_status finish()
    {
        csys_cleanupExecute_(records_, &count_, &status_);
        return status_;
    }

private:
    // Only the first `count_` records are ever read, so they are not zeroed.
    csys_cleanupRecord records_[Capacity];
    std::uint32_t count_ = 0;
    cstd_status status_ = 0;
};

} // namespace zodovar9::sys
