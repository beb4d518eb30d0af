// The recording system library that the tests link zodovar9 against: every
// entry of rezade9 and vuvarod9 under its own name, over the real
// implementation, logging each call with its arguments as words, failing a
// chosen call (by function, or by position among all calls) with a chosen
// status, once or from then on, and counting live blocks, arrays and payload
// elements. An injected negative status stands in for the call: the real
// function does not run; one of zero or more lets it run (unless it stands in
// too) and replaces its status. `csys_cleanupExecute_` always does its work:
// the library reads the status word, not its return.
#pragma once

#include <zodovar9/zodovar9.h>

#include <array>
#include <cstdint>
#include <set>
#include <vector>

#define PROBE_API REZADE9_API // built as rezade9 is, exported and imported as it is

namespace probe {

enum class Fn : int {
#define REZADE9_FUNCTION(name, params, args) name,
#include "functions.inc"
#undef REZADE9_FUNCTION
    cmath_xformLinear_initIdentity,
    slot_construct, // the slots of `table()`
    slot_constructCopy,
    slot_assign,
    slot_destruct,
    any, // in a fault, any call at all
};
PROBE_API const char *name(Fn fn);

struct Call {
    Fn fn;
    std::vector<std::uint64_t> args; // a release adds the block it was asked to release
    cstd_status status;
};
enum class Mode { once, fromThenOn };
struct Fault {
    Fn fn;
    unsigned occurrence; // 1: the first such call after `reset()`
    cstd_status status;
    Mode mode = Mode::once;
    bool standsIn = false;
};

// Forgets the log and the faults; the live counts go on.
PROBE_API void reset();
PROBE_API void inject(const Fault &fault);
PROBE_API std::vector<Call> calls();
using Counts = std::array<long, 3>; // live blocks, arrays, payload elements
PROBE_API Counts counts();
// What is live, by address: all, or only what was built before the last
// `reset()`; and the blocks and arrays whose release a fault refused since.
struct Live {
    std::set<const void *> blocks, arrays, elements, refused;
};
PROBE_API Live liveNow(bool beforeReset = false);
// Calls since `reset()` that named, as the array to work on, one not live.
PROBE_API std::size_t strayArrayCalls();
// Releases, unrecorded, the arrays and blocks of `live` that a caller holding
// `nodes` reaches (each record and list, its payload block and a payload
// node's own) or that a refused release left; forgets the elements.
PROBE_API void release(std::vector<const cstd_tree *> nodes, const Live &live);

inline constexpr unsigned char kFreshByte = 0xA5; // every block handed out starts so
// An element table whose set slots record themselves; construction counts a
// live element, destruction uncounts one.
struct Slots {
    bool construct = true, constructCopy = true, assign = true, destruct = true;
    int32_t tag = -1;
};
PROBE_API cstd_vtable table(const Slots &slots);

template <class T>
std::uint64_t word(T value)
{
    return (std::uint64_t)value;
}

} // namespace probe
