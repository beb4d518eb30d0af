// The recording system library that the tests link zodovar9 against.
//
// It exports every function of rezade9 and vuvarod9 under their own names,
// runs the real implementation behind each, and
//  - records every call, with its arguments as 64-bit words, in order;
//  - makes a chosen call (by function, or by position among all calls) return
//    a chosen status, once or from then on;
//  - counts live memory blocks, live arrays and live payload elements.
// It also offers element-table slots that record themselves in the same log,
// so a test states the whole sequence of calls, slots included, as data.
//
// An injected negative status stands in for the call: the real function does
// not run, so nothing it would have written is written. An injected status of
// zero or more lets the real function run and replaces its status, which is
// how a test shows that a positive status passes as success. The one
// exception is `csys_cleanupExecute_`, whose work always runs: the library
// ignores its return value and reads the status word instead.
#pragma once

#include <zodovar9/zodovar9.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#if defined(_WIN32)
#if defined(PROBE_BUILDING)
#define PROBE_API __declspec(dllexport)
#else
#define PROBE_API __declspec(dllimport)
#endif
#else
#define PROBE_API __attribute__((visibility("default")))
#endif

namespace probe {

enum class Fn : int {
#define REZADE9_FUNCTION(name, params, args) name,
#include "functions.inc"
#undef REZADE9_FUNCTION
    cmath_xformLinear_initIdentity,
    // The element-table slots of `table()`.
    slot_construct,
    slot_constructCopy,
    slot_assign,
    slot_destruct,
    // In a fault, any call at all.
    any,
};

PROBE_API const char *name(Fn fn);

struct Call {
    Fn fn;
    std::vector<std::uint64_t> args;
    cstd_status status;
};

// Marks an argument that an expectation does not compare.
inline constexpr std::uint64_t kAny = 0xA11A'11A1'1A11'A11Aull;

enum class Mode { once, fromThenOn };

struct Fault {
    Fn fn;                  // the function, or `Fn::any` to count every call
    unsigned occurrence;    // 1 = the first such call after `reset()`
    cstd_status status;     // what the call returns
    Mode mode = Mode::once; // `fromThenOn`: every later such call too
};

// Forgets the log and every fault, and restarts the occurrence counts. The
// live counts go on: they describe the heap, not the log.
PROBE_API void reset();
PROBE_API void inject(const Fault &fault);
PROBE_API std::vector<Call> calls();
PROBE_API std::size_t liveBlocks();
PROBE_API std::size_t liveArrays();
PROBE_API std::size_t liveElements();

// What is live now, by address. With `beforeReset`, only what was handed out
// or built before the last `reset()`: a test that resets between setting up
// and acting tells what the action found from what it made, even where a new
// block reuses the address of one it released.
// `refused` names the blocks and arrays whose release an injected failure
// refused since `reset()`: the caller had no way to release them.
struct Live {
    std::set<const void *> blocks, arrays, elements, refused;
};
PROBE_API Live liveNow(bool beforeReset = false);
// Calls since `reset()` that named, as the array to work on, one not live:
// never built, or already destroyed.
PROBE_API std::size_t strayArrayCalls();
// Destroys the live arrays and then releases the live blocks that `reached`
// names, through the real implementation and unrecorded, and forgets every
// live payload element (the recording slots own no memory). What `reached`
// leaves out stays counted: a teardown that releases what the caller can
// still reach sees what nothing reaches.
PROBE_API void releaseLive(const std::set<const void *> &reached);

// The byte that fills every block the recording library hands out.
inline constexpr unsigned char kFreshByte = 0xA5;

// An element table whose set slots record themselves and can be failed like
// any call; `construct` and `constructCopy` count a live element, `destruct`
// uncounts one.
struct Slots {
    bool construct = true;
    bool constructCopy = true;
    bool assign = true;
    bool destruct = true;
    int32_t tag = -1;
};
PROBE_API cstd_vtable table(const Slots &slots);

// An argument as the log keeps it.
template <class T>
std::uint64_t word(T value)
{
    if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>) {
        return reinterpret_cast<std::uintptr_t>(value);
    } else {
        return static_cast<std::uint64_t>(value);
    }
}

// For the harness's own entries: log a call and learn whether to fail it.
struct Entry {
    std::size_t index;                 // position in the log
    std::optional<cstd_status> status; // the injected status, if any
};
PROBE_API Entry enter(Fn fn, std::vector<std::uint64_t> args);
PROBE_API void leave(const Entry &entry, cstd_status status);

} // namespace probe
