// The recording system library: rezade9's and vuvarod9's entries over the
// real implementation, with a call log, fault injection and live counts.
#include "probe.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "identity.hpp"
#include "impl.hpp"

namespace probe {
namespace {

struct State {
    std::mutex mutex;
    std::vector<Call> log;
    std::vector<Fault> faults;
    std::map<Fn, unsigned> seen; // calls of each function since reset
    // Each live thing with its birth: a count of births, which `reset()`
    // notes so that `liveNow` can tell what came before it.
    std::map<void *, std::uint64_t> blocks;
    std::map<const cstd_vector *, std::uint64_t> arrays;
    std::multimap<void *, std::uint64_t> elements; // payload elements built and not yet destroyed
    std::uint64_t births = 0, resetAt = 0;
    std::size_t strays = 0;
    std::set<const void *> refused; // see `Live`
};

State &state()
{
    static State instance;
    return instance;
}

bool matches(const Fault &fault, unsigned occurrence)
{
    return fault.mode == Mode::once ? occurrence == fault.occurrence : occurrence >= fault.occurrence;
}

template <class... Args>
std::vector<std::uint64_t> words(Args... args)
{
    return {word(args)...};
}

void **pointerAt(std::uint64_t address) { return reinterpret_cast<void **>(static_cast<std::uintptr_t>(address)); }

bool builds(Fn fn)
{
    switch (fn) {
    case Fn::cstd_vector__constructWithVtable:
    case Fn::cstd_vector__constructWithVtableWithMtable:
    case Fn::cstd_vector__constructWithVtableUninit:
    case Fn::cstd_vector__constructFillWithVtable:
    case Fn::cstd_vector__constructFromBlockWithVtable:
    case Fn::cstd_vector__constructCopy: return true;
    default: return false;
    }
}

// An array entry other than a constructor works on a built array, its first
// argument.
void noteStray(Fn fn, const std::vector<std::uint64_t> &args)
{
    if (builds(fn) || std::strncmp(name(fn), "cstd_vector__", 13) != 0) {
        return;
    }
    State &s = state();
    std::lock_guard lock(s.mutex);
    if (!s.arrays.contains(reinterpret_cast<const cstd_vector *>(static_cast<std::uintptr_t>(args[0])))) {
        ++s.strays;
    }
}

// A release that a fault refused leaves its block or array live, and the
// caller no way to release it.
void noteRefusal(Fn fn, const std::vector<std::uint64_t> &args)
{
    const void *named = fn == Fn::cstd_vector__destruct
                            ? reinterpret_cast<const void *>(static_cast<std::uintptr_t>(args[0]))
                        : fn == Fn::csys_memory_free_internal ? *pointerAt(args[0])
                                                              : nullptr;
    if (named != nullptr) {
        std::lock_guard lock(state().mutex);
        state().refused.insert(named);
    }
}

// What each entry does to the live counts once its real function succeeded.
void track(Fn fn, const std::vector<std::uint64_t> &args, void *released)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    const auto array = reinterpret_cast<const cstd_vector *>(static_cast<std::uintptr_t>(args[0]));
    switch (fn) {
    case Fn::csys_memory_alloc_internal:
        if (void *block = *pointerAt(args[1]); block != nullptr) {
            // Fresh blocks hold a pattern, as a debugging heap's do, so that
            // a payload read before it is written shows.
            std::memset(block, kFreshByte, static_cast<std::size_t>(args[0]));
            s.blocks[block] = ++s.births;
        }
        break;
    case Fn::csys_memory_free_internal:
        if (released != nullptr && s.blocks.erase(released) == 0) {
            std::fprintf(stderr, "probe: release of a block it never handed out\n");
        }
        break;
    case Fn::cstd_vector__destruct:
        if (s.arrays.erase(array) == 0) {
            std::fprintf(stderr, "probe: destruction of an array never built\n");
        }
        break;
    default:
        if (builds(fn)) {
            s.arrays[array] = ++s.births;
        }
        break;
    }
}

// One recorded entry: log, maybe fail, run the real function, track.
template <class Real, class... Args>
cstd_status intercept(Fn fn, Real real, Args... args)
{
    const std::vector<std::uint64_t> arguments = words(args...);
    const Entry entry = enter(fn, arguments);
    noteStray(fn, arguments);
    if (entry.status && *entry.status < 0 && fn != Fn::csys_cleanupExecute_) {
        noteRefusal(fn, arguments);
        leave(entry, *entry.status);
        return *entry.status;
    }
    // A release is tracked by the block it names before it runs.
    void *released = fn == Fn::csys_memory_free_internal ? *pointerAt(arguments[0]) : nullptr;
    cstd_status status = real(args...);
    if (status >= 0) {
        track(fn, arguments, released);
    }
    if (entry.status) {
        status = *entry.status;
    }
    leave(entry, status);
    return status;
}

} // namespace

const char *name(Fn fn)
{
    switch (fn) {
#define REZADE9_FUNCTION(name, params, args)                                                                           \
    case Fn::name:                                                                                                     \
        return #name;
#include "functions.inc"
#undef REZADE9_FUNCTION
    case Fn::cmath_xformLinear_initIdentity: return "cmath_xformLinear_initIdentity";
    case Fn::slot_construct: return "slot construct";
    case Fn::slot_constructCopy: return "slot constructCopy";
    case Fn::slot_assign: return "slot assign";
    case Fn::slot_destruct: return "slot destruct";
    case Fn::any: break;
    }
    return "any";
}

void reset()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.log.clear();
    s.faults.clear();
    s.seen.clear();
    s.resetAt = s.births;
    s.strays = 0;
    s.refused.clear();
}

void inject(const Fault &fault)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.faults.push_back(fault);
}

std::vector<Call> calls()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    return s.log;
}

std::size_t liveBlocks()
{
    std::lock_guard lock(state().mutex);
    return state().blocks.size();
}

std::size_t liveArrays()
{
    std::lock_guard lock(state().mutex);
    return state().arrays.size();
}

std::size_t liveElements()
{
    std::lock_guard lock(state().mutex);
    return state().elements.size();
}

Live liveNow(bool beforeReset)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    Live live;
    const auto pick = [&](const auto &from, std::set<const void *> &into) {
        for (const auto &[thing, birth] : from) {
            if (!beforeReset || birth <= s.resetAt) {
                into.insert(thing);
            }
        }
    };
    pick(s.blocks, live.blocks);
    pick(s.arrays, live.arrays);
    pick(s.elements, live.elements);
    live.refused = s.refused;
    return live;
}

std::size_t strayArrayCalls()
{
    std::lock_guard lock(state().mutex);
    return state().strays;
}

void releaseLive(const std::set<const void *> &reached)
{
    // Unlocked while the real functions run: an array's `destruct` slots may
    // be recording ones. Arrays first, as they may lie inside the blocks.
    const Live live = liveNow();
    State &s = state();
    for (const void *array : live.arrays) {
        if (reached.contains(array)) {
            rezade9::impl::cstd_vector__destruct(static_cast<cstd_vector *>(const_cast<void *>(array)));
            std::lock_guard lock(s.mutex);
            s.arrays.erase(static_cast<const cstd_vector *>(array));
        }
    }
    for (const void *block : live.blocks) {
        if (reached.contains(block)) {
            void *released = const_cast<void *>(block);
            rezade9::impl::csys_memory_free_internal(&released);
            std::lock_guard lock(s.mutex);
            s.blocks.erase(const_cast<void *>(block));
        }
    }
    std::lock_guard lock(s.mutex);
    s.elements.clear();
}

Entry enter(Fn fn, std::vector<std::uint64_t> args)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    const unsigned own = ++s.seen[fn];
    const unsigned all = ++s.seen[Fn::any];
    Entry entry{s.log.size(), std::nullopt};
    for (const Fault &fault : s.faults) {
        if (matches(fault, fault.fn == Fn::any ? all : fault.fn == fn ? own : 0)) {
            entry.status = fault.status;
            break;
        }
    }
    s.log.push_back({fn, std::move(args), 0});
    return entry;
}

void leave(const Entry &entry, cstd_status status)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    if (entry.index < s.log.size()) {
        s.log[entry.index].status = status;
    }
}

namespace {

// The recording slots. Construction and copy count a live element and
// destruction uncounts it, so a test sees payloads never destroyed. A table
// may destroy what it never constructed (its `construct` slot can be empty).
enum class Life { born, unchanged, ended };

cstd_status slot(Fn fn, void *element, std::vector<std::uint64_t> args, Life life)
{
    const Entry entry = enter(fn, std::move(args));
    const cstd_status status = entry.status.value_or(0);
    if (status >= 0 && life != Life::unchanged) {
        State &s = state();
        std::lock_guard lock(s.mutex);
        if (life == Life::born) {
            s.elements.emplace(element, ++s.births);
        } else if (const auto found = s.elements.find(element); found != s.elements.end()) {
            s.elements.erase(found);
        }
    }
    leave(entry, status);
    return status;
}

cstd_status CSTD_CALL slotConstruct(void *element, uint32_t flags)
{
    return slot(Fn::slot_construct, element, words(element, flags), Life::born);
}
cstd_status CSTD_CALL slotConstructCopy(void *destination, const void *source)
{
    return slot(Fn::slot_constructCopy, destination, words(destination, source), Life::born);
}
cstd_status CSTD_CALL slotAssign(void *destination, const void *source)
{
    return slot(Fn::slot_assign, destination, words(destination, source), Life::unchanged);
}
cstd_status CSTD_CALL slotDestruct(void *element)
{
    return slot(Fn::slot_destruct, element, words(element), Life::ended);
}

} // namespace

cstd_vtable table(const Slots &slots)
{
    return {slots.construct ? &slotConstruct : nullptr, slots.constructCopy ? &slotConstructCopy : nullptr,
            slots.assign ? &slotAssign : nullptr, slots.destruct ? &slotDestruct : nullptr, slots.tag};
}

} // namespace probe

extern "C" {

#define REZADE9_FUNCTION(name, params, args)                                                                           \
    REZADE9_API cstd_status CSTD_CALL name params                                                                      \
    {                                                                                                                  \
        return probe::intercept(probe::Fn::name, &rezade9::impl::name, PROBE_UNPACK args);                             \
    }
#define PROBE_UNPACK(...) __VA_ARGS__
#define REZADE9_DIAGNOSTIC(name, params, args)                                                                         \
    REZADE9_API cstd_status CSTD_CALL name params { return rezade9::impl::name args; }
#include "functions.inc"
#undef REZADE9_DIAGNOSTIC
#undef REZADE9_FUNCTION

VUVAROD9_API cstd_status CSTD_CALL cmath_xformLinear_initIdentity(cmath_xformLinear *xform)
{
    return probe::intercept(
        probe::Fn::cmath_xformLinear_initIdentity,
        [](cmath_xformLinear *x) {
            *x = vuvarod9::kIdentity;
            return cstd_status{0};
        },
        xform);
}

} // extern "C"
