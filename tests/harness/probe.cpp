// The recording system library, driven from one thread.
#include "probe.hpp"

#include <cstdio>
#include <cstring>
#include <map>

#include "identity.hpp"
#include "impl.hpp"

namespace probe {
namespace {

struct State {
    std::vector<Call> log;
    std::vector<Fault> faults;
    std::map<Fn, unsigned> seen; // calls of each function since `reset()`
    // Each live thing with its birth, a count that `reset()` notes.
    std::map<const void *, std::uint64_t> blocks, arrays;
    std::multimap<const void *, std::uint64_t> elements;
    std::uint64_t births = 0, resetAt = 0;
    std::size_t strays = 0;
    std::set<const void *> refused;
} s;

const char *const kNames[] = {
#define REZADE9_FUNCTION(name, params, args) #name,
#include "functions.inc"
#undef REZADE9_FUNCTION
    "cmath_xformLinear_initIdentity", "slot construct", "slot constructCopy", "slot assign", "slot destruct", "any"};

const void *at(std::uint64_t address) { return reinterpret_cast<const void *>(static_cast<std::uintptr_t>(address)); }
bool builds(Fn fn) { return std::strncmp(name(fn), "cstd_vector__construct", 22) == 0; }

// Logs a call and tells the fault injected for it, if any.
const Fault *enter(Fn fn, std::vector<std::uint64_t> args)
{
    const unsigned own = ++s.seen[fn], all = ++s.seen[Fn::any];
    s.log.push_back({fn, std::move(args), 0});
    for (const Fault &f : s.faults) {
        const unsigned n = f.fn == Fn::any ? all : f.fn == fn ? own : 0;
        if (f.mode == Mode::once ? n == f.occurrence : n >= f.occurrence) return &f;
    }
    return nullptr;
}

template <class Real, class... Args>
cstd_status intercept(Fn fn, Real real, Args... args)
{
    std::vector<std::uint64_t> words{word(args)...};
    const void *const first = at(words[0]);
    if (fn == Fn::csys_memory_free_internal) words.push_back(word(*static_cast<void *const *>(first)));
    s.strays += std::strncmp(name(fn), "cstd_vector__", 13) == 0 && !builds(fn) && !s.arrays.contains(first);
    const std::size_t index = s.log.size();
    const Fault *const fault = enter(fn, words);
    if (fault != nullptr && (fault->status < 0 || fault->standsIn) && fn != Fn::csys_cleanupExecute_) {
        if (fault->status < 0 && fn == Fn::csys_memory_free_internal) s.refused.insert(at(words[1]));
        if (fault->status < 0 && fn == Fn::cstd_vector__destruct) s.refused.insert(first);
        return s.log[index].status = fault->status;
    }
    const cstd_status status = real(args...);
    void *const block =
        fn == Fn::csys_memory_alloc_internal && status >= 0 ? *static_cast<void *const *>(at(words[1])) : nullptr;
    if (block != nullptr) { // a pattern, as a debugging heap's, shows a payload read before it is written
        std::memset(block, kFreshByte, static_cast<std::size_t>(words[0]));
        s.blocks[block] = ++s.births;
    } else if (status >= 0 && fn == Fn::csys_memory_free_internal && words[1] != 0 && !s.blocks.erase(at(words[1]))) {
        std::fprintf(stderr, "probe: release of a block it never handed out\n");
    } else if (status >= 0 && fn == Fn::cstd_vector__destruct && !s.arrays.erase(first)) {
        std::fprintf(stderr, "probe: destruction of an array never built\n");
    } else if (status >= 0 && builds(fn)) {
        s.arrays[first] = ++s.births;
    }
    return s.log[index].status = fault != nullptr ? fault->status : status;
}

// A slot's element, its first argument, is born (+1), lives on (0) or ends
// (-1); a table may destroy what it never constructed.
template <Fn F, int Life, class... More>
cstd_status CSTD_CALL slot(void *element, More... more)
{
    const std::size_t index = s.log.size();
    const Fault *const fault = enter(F, {word(element), word(more)...});
    const cstd_status status = fault != nullptr ? fault->status : 0;
    const auto found = s.elements.find(element);
    if (status >= 0 && Life > 0) s.elements.emplace(element, ++s.births);
    if (status >= 0 && Life < 0 && found != s.elements.end()) s.elements.erase(found);
    return s.log[index].status = status;
}

} // namespace

const char *name(Fn fn) { return kNames[int(fn)]; }
void inject(const Fault &fault) { s.faults.push_back(fault); }
std::vector<Call> calls() { return s.log; }
Counts counts() { return {long(s.blocks.size()), long(s.arrays.size()), long(s.elements.size())}; }
std::size_t strayArrayCalls() { return s.strays; }

void reset()
{
    s.log.clear(), s.faults.clear(), s.seen.clear(), s.refused.clear();
    s.resetAt = s.births, s.strays = 0;
}

Live liveNow(bool beforeReset)
{
    Live live{{}, {}, {}, s.refused};
    const auto pick = [&](const auto &from, std::set<const void *> &into) {
        for (const auto &[thing, birth] : from)
            if (!beforeReset || birth <= s.resetAt) into.insert(thing);
    };
    pick(s.blocks, live.blocks), pick(s.arrays, live.arrays), pick(s.elements, live.elements);
    return live;
}

void release(std::vector<const cstd_tree *> nodes, const Live &live)
{
    std::set<const void *> reached;
    for (std::size_t k = 0; k < nodes.size(); ++k) { // payload nodes join the walk
        const auto *x = nodes[k], *inner = static_cast<const cstd_tree *>(x->data);
        reached.insert({x, &x->children});
        if (live.blocks.contains(inner) && reached.insert(inner).second && live.arrays.contains(&inner->children))
            nodes.push_back(inner);
    }
    reached.insert(live.refused.begin(), live.refused.end());
    for (const auto &[array, birth] : std::map(s.arrays)) // first: arrays may lie inside blocks
        if (reached.contains(array))
            rezade9::impl::cstd_vector__destruct(static_cast<cstd_vector *>(const_cast<void *>(array))),
                s.arrays.erase(array);
    for (const auto &[block, birth] : std::map(s.blocks)) {
        void *released = const_cast<void *>(block);
        if (reached.contains(block)) rezade9::impl::csys_memory_free_internal(&released), s.blocks.erase(block);
    }
    s.elements.clear();
}

cstd_vtable table(const Slots &slots)
{
    return {slots.construct ? &slot<Fn::slot_construct, 1, uint32_t> : nullptr,
            slots.constructCopy ? &slot<Fn::slot_constructCopy, 1, const void *> : nullptr,
            slots.assign ? &slot<Fn::slot_assign, 0, const void *> : nullptr,
            slots.destruct ? &slot<Fn::slot_destruct, -1> : nullptr, slots.tag};
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
    const auto identity = [](cmath_xformLinear *x) { return *x = vuvarod9::kIdentity, 0; };
    return probe::intercept(probe::Fn::cmath_xformLinear_initIdentity, identity, xform);
}

} // extern "C"
