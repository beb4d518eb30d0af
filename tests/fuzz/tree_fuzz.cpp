// Stateful fuzzing of the tree against a model made of plain containers.
//
// The input is a program over a pool of 16 nodes (14 heap nodes, 2 records in
// place) and one tree-pointer array. Each step makes one legal call; the model
// (per node: parent, ordered children, payload) says what it returns and what
// the pool looks like afterwards, read back through the public queries down to
// the system library's live-block count. A step may make the Nth system call of
// the next call fail, or return a positive status, which must pass as success.
// After a failure the library still owes sound links, sanitizer silence and no
// lost block: the harness repairs what a caller would, reads the model back
// from the library and goes on. TREE_FUZZ_TRACE=1 prints every step and call.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <vector>

#include <rezade9/memory.h>

#include "probe.hpp"

namespace {

constexpr int kHeapSlots = 14, kSlots = 16;
cstd_tree *const kUnset = reinterpret_cast<cstd_tree *>(std::uintptr_t{0x5A5A});

// Payload kinds: a value; 4 plain bytes (`cstd_tree32s`); 4 bytes under a
// recorded table with every slot; a payload node (`cstd_tree_tree`); a value
// under a recorded table that only destroys.
enum Kind { kValue, kBytes, kTabled, kTree, kValueTabled };
const cstd_vtable kTable = probe::table({});
const cstd_vtable kDestructOnly = probe::table({false, false, false, true, -1});
uint32_t sizeOf(Kind k) { return k == kBytes || k == kTabled ? 4 : k == kTree ? sizeof(cstd_tree) : 0; }
const cstd_vtable *tableOf(Kind k) { return k == kTabled ? &kTable : k == kValueTabled ? &kDestructOnly : nullptr; }
bool assigns(Kind k) { return k == kTabled || k == kTree; } // its table has an `assign` slot

struct Payload {
    Kind kind = kValue;
    bool known = false;                 // the fields below tell it
    std::uintptr_t value = 0;           // a value payload, or the payload node's
    const cstd_vtable *inner = nullptr; // the payload node's table
    int32_t bytes = 0;
};
struct Node {
    bool live = false;
    int parent = -1;
    std::vector<int> kids;
    Payload pay;
    bool born = false; // the tabled element was built by its `construct` slot
};

cstd_tree *heap[kHeapSlots];
cstd_tree local[kSlots - kHeapSlots];
Node m[kSlots];
cstd_vector arr;
std::vector<cstd_tree *> items;          // the model of `arr`
std::set<const void *> arrays, elements; // built and not yet destroyed, by the call log
unsigned faultAt = 0;                    // the call of the next step to fail, 1 up; 0 none
cstd_status faultStatus = 0;
bool fired = false;
size_t lastCalls = 0;
int stepNo = 0;
char stepText[64], statusText[40];
const bool trace = std::getenv("TREE_FUZZ_TRACE") != nullptr;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "tree_fuzz: step %d (%s; %s): %s\n", stepNo, stepText, statusText, what);
    std::abort();
}
void need(bool ok, const char *what)
{
    if (!ok) {
        fail(what);
    }
}

// ---- the model -------------------------------------------------------------

cstd_tree *node(int x) { return x < kHeapSlots ? heap[x] : &local[x - kHeapSlots]; }
int slotOf(const cstd_tree *t)
{
    for (int x = 0; x < kSlots; ++x) {
        if (m[x].live && node(x) == t) {
            return x;
        }
    }
    return -1;
}
int indexOf(int x)
{
    const auto &k = m[m[x].parent].kids;
    return static_cast<int>(std::find(k.begin(), k.end(), x) - k.begin());
}
int sibling(int x, int offset) // the sibling that far from x, or -1
{
    if (m[x].parent < 0) {
        return -1;
    }
    const auto &k = m[m[x].parent].kids;
    const int i = indexOf(x) + offset;
    return i >= 0 && i < static_cast<int>(k.size()) ? k[i] : -1;
}
int nextInWalk(int x) // pre-order: the first child, else the next sibling of x or of an ancestor
{
    if (!m[x].kids.empty()) {
        return m[x].kids[0];
    }
    for (; x >= 0; x = m[x].parent) {
        if (sibling(x, 1) >= 0) {
            return sibling(x, 1);
        }
    }
    return -1;
}
int depth(int x) { return m[x].parent < 0 ? 0 : 1 + depth(m[x].parent); }
bool above(int a, int x) { return x >= 0 && (x == a || above(a, m[x].parent)); } // a is x or an ancestor
bool childlessRoot(int x) { return m[x].live && m[x].parent < 0 && m[x].kids.empty(); }
void subtree(int x, std::vector<int> &out)
{
    out.push_back(x);
    for (int k : m[x].kids) {
        subtree(k, out);
    }
}
void detach(int c)
{
    if (m[c].parent >= 0) {
        auto &k = m[m[c].parent].kids;
        k.erase(std::find(k.begin(), k.end(), c));
        m[c].parent = -1;
    }
}
void kill(int x) // x and its subtree are gone
{
    detach(x);
    for (int k : std::vector<int>(m[x].kids)) {
        m[k].parent = -1;
        kill(k);
    }
    m[x] = Node{};
    if (x < kHeapSlots) {
        heap[x] = nullptr;
    }
}
void create(int x, Kind kind) // values and payload nodes start at none, bytes unwritten
{
    m[x] = Node{};
    m[x].live = true;
    m[x].pay.kind = kind;
    m[x].pay.known = kind != kBytes && kind != kTabled;
    m[x].born = kind == kTabled;
}

// ---- calls and what the library shows ----------------------------------------

// Replays the call log into the sets of built arrays and elements, then
// empties it; returns how many calls it held.
size_t sync()
{
    const std::vector<probe::Call> log = probe::calls();
    for (const probe::Call &c : log) {
        if (trace) {
            std::fprintf(stderr, "    %s -> %d\n", probe::name(c.fn), c.status);
        }
        const auto *a = reinterpret_cast<const void *>(static_cast<std::uintptr_t>(c.args.empty() ? 0 : c.args[0]));
        using probe::Fn;
        if (c.status >= 0 && (c.fn == Fn::cstd_vector__constructWithVtable || c.fn == Fn::cstd_vector__constructCopy)) {
            arrays.insert(a);
        } else if (c.status >= 0 && c.fn == Fn::cstd_vector__destruct) {
            arrays.erase(a);
        } else if (c.status >= 0 && (c.fn == Fn::slot_construct || c.fn == Fn::slot_constructCopy)) {
            elements.insert(a);
        } else if (c.status >= 0 && c.fn == Fn::slot_destruct) {
            elements.erase(a);
        }
    }
    probe::reset();
    return log.size();
}

template <class F>
cstd_status call(F f)
{
    if (faultAt != 0) {
        probe::inject({probe::Fn::any, faultAt, faultStatus});
    }
    const cstd_status status = f();
    lastCalls = sync();
    fired = faultAt != 0 && lastCalls >= faultAt;
    faultAt = 0;
    return status;
}

// Whether the model holds the call to account: it does unless a negative
// fault fired and the call failed, which must then pass that status on.
bool agrees(cstd_status status, cstd_status want)
{
    std::snprintf(statusText, sizeof statusText, "returned %d, model %d", status, want);
    if (!fired) {
        need(status == want, "status differs from the model's");
    } else if (faultStatus >= 0) { // it may also stand in for a refusal the model expects
        need(want < 0 || status >= 0, "a positive status did not pass as success");
    } else if (status >= 0) {
        need(want >= 0, "success where the model fails");
    } else {
        need(status == faultStatus, "a failure other than the failed call's status");
        return false;
    }
    return true;
}

std::vector<cstd_tree *> listOf(cstd_vector *v)
{
    void *begin = nullptr;
    uint32_t n = 0;
    need(cstd_vector_cstd_treePtr_getBeginSize(v, &begin, &n) == 0, "list read");
    return {static_cast<cstd_tree **>(begin), static_cast<cstd_tree **>(begin) + n};
}
// A list holds a block of the heap unless it has none or keeps its
// elements in its own record.
bool holdsStorage(const cstd_vector *v)
{
    const void *begin = nullptr;
    need(cstd_vector_cstd_treePtr_getBeginEndConst(v, &begin, nullptr) == 0, "begin read");
    const auto *at = static_cast<const unsigned char *>(begin), *record = reinterpret_cast<const unsigned char *>(v);
    return begin != nullptr && (at < record || at >= record + sizeof *v);
}

bool payloadIs(const Payload &p, const cstd_tree *t)
{
    const auto *inner = static_cast<const cstd_tree *>(t->data);
    if (t->dataSize != sizeOf(p.kind) || (p.kind == kTree ? t->vtable == nullptr : t->vtable != tableOf(p.kind))) {
        return false;
    }
    switch (p.known ? p.kind : kTabled) {
    case kBytes: return *static_cast<const int32_t *>(t->data) == p.bytes;
    case kTabled: return true; // unknown: the recorded slots write nothing
    case kTree: return reinterpret_cast<std::uintptr_t>(inner->data) == p.value && inner->vtable == p.inner;
    default: return reinterpret_cast<std::uintptr_t>(t->data) == p.value;
    }
}

// The library against the model: links walked through the queries, payload
// fields, the array, and the live counts of the heap.
void verify()
{
    uint32_t blocks = holdsStorage(&arr), built = 1, born = 0;
    for (int x = 0; x < kSlots; ++x) {
        const Node &n = m[x];
        if (!n.live) {
            continue;
        }
        cstd_tree *t = node(x), *p = kUnset, *c = kUnset;
        const cstd_status st = cstd_tree_getParent(t, &p);
        need(n.parent < 0 ? st == cstd_tree_errNoParent && p == kUnset && t->indexInParent == -1
                          : st == 0 && p == node(n.parent) && t->indexInParent == indexOf(x),
             "parent links differ from the model's");
        uint32_t count = 99;
        need(cstd_tree_getNumChildren(t, &count) == 0 && count == n.kids.size(), "child count");
        const cstd_status first = cstd_tree_getFirstChild(t, &c);
        need(n.kids.empty() ? first == cstd_tree_errNoChild && c == kUnset : first == 0, "first child");
        for (size_t i = 0; i < n.kids.size(); ++i) {
            cstd_tree *next = kUnset;
            need(c == node(n.kids[i]), "children differ from the model's");
            const cstd_status st2 = cstd_tree_getNextSibling(c, &next);
            need(i + 1 < n.kids.size() ? st2 == 0 : st2 == cstd_tree_errNoNextSibling && next == kUnset,
                 "next sibling");
            c = next;
        }
        need(payloadIs(n.pay, t), "payload differs from the model's");
        blocks += (x < kHeapSlots) + (sizeOf(n.pay.kind) != 0) + holdsStorage(&t->children);
        built += 1 + (n.pay.kind == kTree);
        born += n.born;
    }
    need(listOf(&arr) == items, "the array differs from the model's");
    uint32_t live = 0;
    need(csys_memory_getLiveBlockCount(&live) == 0 && live == blocks, "live blocks differ from the model's");
    need(probe::liveArrays() == built && probe::liveElements() == born, "live arrays or elements");
    sync();
}

// After a failed call every record is released, raw or built. `mayEnd` are the
// nodes the call was allowed to destroy: a raw one is finished as a caller
// would; then links left half made are repaired and the model read back.
void recover(const std::vector<int> &mayEnd, cstd_tree *const *before)
{
    auto ending = [&](int x) { return std::find(mayEnd.begin(), mayEnd.end(), x) != mayEnd.end(); };
    for (int x = 0; x < kSlots; ++x) {
        cstd_tree *t = node(x);
        need(x >= kHeapSlots || t == nullptr || t == before[x], "a failed call left a new record in the slot");
        uint32_t live = 1; // whether the heap still holds the record
        if (x < kHeapSlots && (t == nullptr || (csys_memory_isBlockLive(t, &live) == 0 && live == 0))) {
            need(!m[x].live || ending(x), "a failed call released a node it had no business with");
            heap[x] = nullptr;
            m[x] = Node{};
        } else if (!m[x].live) {
            need(x >= kHeapSlots && arrays.count(&t->children) == 0, "a failed call left a new node");
        } else if (arrays.count(&t->children) == 0) { // destroyed, not released
            need(ending(x), "a failed call took apart a node it had no business with");
            if (t->dataSize != 0 && t->data != nullptr) {
                const bool element = t->vtable == &kTable
                                         ? elements.count(t->data) != 0
                                         : arrays.count(&static_cast<cstd_tree *>(t->data)->children) != 0;
                need(!element || t->vtable->destruct(t->data) >= 0, "payload clean-up");
                need(csys_memory_free_internal(&t->data) == 0, "payload release");
            }
            need(x >= kHeapSlots || csys_memory_free_internal(reinterpret_cast<void **>(&heap[x])) == 0, "release");
            m[x] = Node{};
        }
    }
    // Links left half made (a child its parent does not list, a listed node
    // that is no child, stale positions) are rebuilt: every list emptied, every
    // node detached, then each node's own children attached again in order.
    std::vector<std::vector<cstd_tree *>> keep(kSlots);
    std::vector<int> listed(kSlots, 0);
    for (int x = 0; x < kSlots; ++x) {
        cstd_tree *t = node(x);
        need(!m[x].live || t->parent == nullptr || slotOf(t->parent) >= 0, "a link names a lost node");
        for (cstd_tree *e : m[x].live ? listOf(&t->children) : std::vector<cstd_tree *>{}) {
            need(slotOf(e) >= 0 && ++listed[slotOf(e)] == 1, "a list names a lost node, or two lists one node");
            if (e->parent == t) {
                keep[x].push_back(e);
            }
        }
    }
    for (int x = 0; x < kSlots; ++x) {
        need(!m[x].live || cstd_vector_cstd_treePtr_clear(&node(x)->children) == 0, "emptying a list");
    }
    for (int x = 0; x < kSlots; ++x) {
        need(!m[x].live || !node(x)->parent || cstd_tree_removeChild(node(x)->parent, node(x)) == 0, "detaching");
    }
    for (int x = 0; x < kSlots; ++x) {
        for (cstd_tree *e : keep[x]) {
            need(cstd_tree_addChild(node(x), e) == 0, "attaching again");
        }
    }
    sync();
    for (int x = 0; x < kSlots; ++x) {
        cstd_tree *t = node(x);
        Node &n = m[x];
        if (!n.live) {
            continue;
        }
        n.parent = t->parent ? slotOf(t->parent) : -1;
        n.kids.clear();
        for (cstd_tree *e : listOf(&t->children)) {
            n.kids.push_back(slotOf(e));
        }
        n.pay = Payload{};
        for (Kind k : {kBytes, kTabled, kTree, kValueTabled}) {
            if (payloadIs({k}, t)) {
                n.pay.kind = k;
            }
        }
        need(payloadIs(n.pay, t), "a payload of no kind the calls made");
        n.born = n.pay.kind == kTabled && elements.count(t->data) != 0;
    }
    items = listOf(&arr);
}

// One mutating call: its status against the model's, then the model updated
// or, after a failure, read back.
void mutate(const std::function<cstd_status()> &f, cstd_status want, const std::function<void()> &apply,
            const std::vector<int> &mayEnd = {})
{
    cstd_tree *before[kHeapSlots];
    std::copy(heap, heap + kHeapSlots, before);
    if (!agrees(call(f), want)) {
        recover(mayEnd, before);
    } else if (want >= 0) {
        apply();
    }
    verify();
}

// A query that delivers a node (`want` a slot) or `error` (`want` -1); the
// out-parameter is written only when a node is delivered.
template <class P>
void delivers(cstd_status status, const P &out, int want, cstd_status error)
{
    const bool held = agrees(status, want >= 0 ? 0 : error);
    need(status < 0 || want < 0 ? out == kUnset : !held || out == node(want), "delivered node");
}
// A query that writes a value: on success it is the model's.
template <class T>
void gives(cstd_status status, const T &out, T want)
{
    need(!agrees(status, 0) || status < 0 || out == want, "value differs from the model's");
}

// ---- the steps ---------------------------------------------------------------

cstd_status build(int x, Kind kind) // a new heap node, or a record built in place
{
    if (x < kHeapSlots) {
        return kind == kValue   ? cstd_tree_new(&heap[x])
               : kind == kBytes ? cstd_tree32s_new(&heap[x])
               : kind == kTree  ? cstd_tree_tree_new(&heap[x])
                                : cstd_tree_newWithSizeAndVtable(&heap[x], sizeOf(kind), tableOf(kind));
    }
    return kind == kValue   ? cstd_tree_construct(node(x))
           : kind == kBytes ? cstd_tree32s_construct(node(x))
           : kind == kTree  ? cstd_tree_tree_construct(node(x))
                            : cstd_tree_constructWithSizeAndVtable(node(x), sizeOf(kind), tableOf(kind));
}

void query(int a, int which, int b)
{
    cstd_tree *t = node(a), *out = kUnset;
    const cstd_tree *cout = kUnset;
    uint32_t flag = 7, count = 99;
    int32_t d = 99;
    const Node &x = m[a];
    const int first = x.kids.empty() ? -1 : x.kids[0], prev = sibling(a, -1), next = sibling(a, 1);
    const cstd_status noPrev = x.parent < 0 ? cstd_tree_errNoParent : cstd_tree_errNoPrevSibling;
    const cstd_status noNext = x.parent < 0 ? cstd_tree_errNoParent : cstd_tree_errNoNextSibling;
    const int32_t type = b % 4 ? cstd_tree_searchDepthFirst : 2; // sometimes a type not served
    const int walk = b % 4 ? nextInWalk(a) : -1;
    switch (which % 16) {
    case 0:
        gives(call([&] { return cstd_tree_getNumChildren(t, &count); }), count, static_cast<uint32_t>(x.kids.size()));
        break;
    case 1: gives(call([&] { return cstd_tree_hasParent(t, &flag); }), flag, uint32_t{x.parent >= 0}); break;
    case 2: delivers(call([&] { return cstd_tree_getParent(t, &out); }), out, x.parent, cstd_tree_errNoParent); break;
    case 3:
        delivers(call([&] { return cstd_tree_getParentConst(t, &cout); }), cout, x.parent, cstd_tree_errNoParent);
        break;
    case 4: delivers(call([&] { return cstd_tree_getFirstChild(t, &out); }), out, first, cstd_tree_errNoChild); break;
    case 5:
        delivers(call([&] { return cstd_tree_getFirstChildConst(t, &cout); }), cout, first, cstd_tree_errNoChild);
        break;
    case 6: gives(call([&] { return cstd_tree_hasPrevSibling(t, &flag); }), flag, uint32_t{prev >= 0}); break;
    case 7: delivers(call([&] { return cstd_tree_getPrevSibling(t, &out); }), out, prev, noPrev); break;
    case 8: delivers(call([&] { return cstd_tree_getPrevSiblingConst(t, &cout); }), cout, prev, noPrev); break;
    case 9: {
        const cstd_status st = call([&] { return cstd_tree_hasNextSibling(t, &flag); });
        gives(st, flag, uint32_t{next >= 0});
        need((st < 0) == (flag == 7), "next-sibling truth written on failure, or not on success");
        break;
    }
    case 10: delivers(call([&] { return cstd_tree_getNextSibling(t, &out); }), out, next, noNext); break;
    case 11: delivers(call([&] { return cstd_tree_getNextSiblingConst(t, &cout); }), cout, next, noNext); break;
    case 12: gives(call([&] { return cstd_tree_getDepthFromRoot(t, &d); }), d, int32_t{depth(a)}); break;
    case 13: {
        const cstd_status st = call([&] { return cstd_tree_hasNextSearchElement(t, type, &flag); });
        gives(st, flag, uint32_t{walk >= 0});
        need(st >= 0 || flag == 0, "failed search test left its truth value other than 0");
        break;
    }
    case 14:
        delivers(call([&] { return cstd_tree_getNextSearchElement(t, type, &out); }), out, walk,
                 type == cstd_tree_searchDepthFirst ? cstd_tree_errSearchEnd : 0);
        break;
    default:
        delivers(call([&] { return cstd_tree_getNextSearchElementConst(t, type, &cout); }), cout, walk,
                 type == cstd_tree_searchDepthFirst ? cstd_tree_errSearchEnd : 0);
    }
    verify();
}

void arrayStep(int which, int b, int v)
{
    cstd_tree *ptr = node(b);
    const void *found = kUnset;
    std::vector<cstd_tree *> after = items;
    const size_t size = items.size(), at = v % (size + 2);
    const bool fits = at <= size, inside = at < size;
    cstd_status want = 0, st = 0;
    switch (which % 10) {
    case 0:
        st = call([&] { return cstd_vector_cstd_treePtr_pushBack(&arr, &ptr); });
        after.push_back(ptr);
        break;
    case 1:
        st = call([&] { return cstd_vector_cstd_treePtr_popBack(&arr); });
        size ? after.pop_back() : void(want = csys_errOutOfRange);
        break;
    case 2:
        st = call([&] { return cstd_vector_cstd_treePtr_insertElement(&arr, at, &ptr); });
        fits ? void(after.insert(after.begin() + at, ptr)) : void(want = csys_errOutOfRange);
        break;
    case 3:
        st = call([&] { return cstd_vector_cstd_treePtr_erase(&arr, at, 1); });
        inside ? void(after.erase(after.begin() + at)) : void(want = csys_errOutOfRange);
        break;
    case 4:
        st = call([&] { return cstd_vector_cstd_treePtr_getElementConst(&arr, at, &found); });
        want = inside ? 0 : csys_errOutOfRange;
        need(st < 0 ? found == kUnset
                    : !agrees(st, want) || !inside || *static_cast<cstd_tree *const *>(found) == items[at],
             "element");
        break;
    case 5:
        st = call([&] { return cstd_vector_cstd_treePtr_clear(&arr); });
        after.clear();
        break;
    case 6:
        st = call([&] { return cstd_vector_cstd_treePtr_clearAndFreeMemory(&arr); });
        after.clear();
        break;
    case 7: st = call([&] { return cstd_vector_cstd_treePtr_reserve(&arr, at); }); break;
    default: // from a node's children list
        if (!m[b].live) {
            return;
        }
        st = call([&] {
            return v % 2 ? cstd_vector_cstd_treePtr_append(&arr, &ptr->children)
                         : cstd_vector_cstd_treePtr_assign(&arr, &ptr->children);
        });
        after.resize(v % 2 ? size : 0);
        for (int k : m[b].kids) {
            after.push_back(node(k));
        }
    }
    if (agrees(st, want) && want >= 0) { // a failed array call leaves the array as it was
        items = after;
    }
    verify();
}

// A step is 4 bytes: the operation, slots a and b, and a value (a payload
// kind, a query, a position...). Calls that would break a caller's duty are
// skipped: none pointers, a node attached below itself, a node in place
// attached below another, copies of nodes with links.
void step(const uint8_t *&in, const uint8_t *end)
{
    uint8_t bytes[4] = {};
    for (uint8_t &byte : bytes) {
        byte = in < end ? *in++ : 0;
    }
    const int op = bytes[0] % 15, a = bytes[1] % kSlots, b = bytes[2] % kSlots, v = bytes[3];
    std::snprintf(stepText, sizeof stepText, "op %d, %d, %d, %d; fault %u:%d", op, a, b, v, faultAt, faultStatus);
    statusText[0] = 0;
    if (trace) {
        std::fprintf(stderr, "step %d: %s\n", stepNo, stepText);
    }
    Node &x = m[a];
    const Kind kind = static_cast<Kind>(v % 5);
    std::vector<int> ends;
    if (x.live) {
        subtree(a, ends); // what a deletion of a may take with it
    }
    if (op <= 1 && x.live && m[b].live && b < kHeapSlots && !above(b, a)) { // attach b below a
        mutate([&] { return cstd_tree_addChild(node(a), node(b)); }, m[b].parent >= 0 ? cstd_tree_errWrongParent : 0,
               [&] {
                   m[b].parent = a;
                   x.kids.push_back(b);
               });
    } else if (op == 2 && x.live && m[b].live) { // detach b from a
        mutate([&] { return cstd_tree_removeChild(node(a), node(b)); }, m[b].parent == a ? 0 : cstd_tree_errWrongParent,
               [&] { detach(b); });
    } else if (op == 3 && (a < kHeapSlots || !x.live) && x.parent < 0) { // a new node in slot a, deleting its root
        mutate([&] { return build(a, kind); }, 0,
               [&] {
                   cstd_tree *made = node(a);
                   kill(a);
                   if (a < kHeapSlots) {
                       heap[a] = made;
                   }
                   create(a, kind);
               },
               ends);
    } else if (op == 4 && a < kHeapSlots && !x.live) { // deleting none calls nothing
        need(call([&] { return cstd_tree_deleteThisAndAllDescendants(&heap[a]); }) == 0 && lastCalls == 0,
             "deleting none");
    } else if (op == 4 && x.live && x.parent >= 0) { // a node is detached before it is deleted
        mutate([&] { return cstd_tree_removeChild(node(x.parent), node(a)); }, 0, [&] { detach(a); });
    } else if (op == 4 && x.live) { // the deletions, and destruction in place
        const int how = a >= kHeapSlots ? 3 : v % 3;
        if (how == 2) {
            ends.resize(1);
        }
        mutate(
            [&] {
                return how == 0   ? cstd_tree_delete(&heap[a])
                       : how == 1 ? cstd_tree_deleteThisAndAllDescendants(&heap[a])
                       : how == 2 ? cstd_tree_deleteThisButNotDescendants(&heap[a])
                                  : cstd_tree_destruct(node(a));
            },
            0,
            [&] {
                const cstd_tree *t = node(a);
                need(how == 3 ? !t->parent && t->indexInParent == -1 && !t->data && !t->dataSize && !t->vtable
                              : t == nullptr,
                     "a deletion left the pointer set, or a destruction a record not raw");
                for (int k : how == 2 ? std::vector<int>(x.kids) : std::vector<int>{}) {
                    detach(k);
                }
                kill(a);
            },
            ends);
    } else if (op == 5 && x.live) { // set the payload: a value, 4 bytes, or a childless root to assign from
        const auto word = static_cast<int32_t>(v * 0x01010101u);
        const Kind k = x.pay.kind;
        const void *value = k == kTree       ? static_cast<const void *>(node(b))
                            : sizeOf(k) == 0 ? reinterpret_cast<const void *>(std::uintptr_t{0x1000} + v * 16)
                                             : &word;
        if (k != kTree || childlessRoot(b)) {
            mutate([&] { return cstd_tree_setData(node(a), value); },
                   k == kTree && sizeOf(m[b].pay.kind) != 0 ? cstd_tree_errPayloadMismatch : 0,
                   [&] {
                       if (k == kTree) { // the payload node takes the source's value and table
                           x.pay = {kTree, m[b].pay.known, m[b].pay.value, tableOf(m[b].pay.kind)};
                       } else { // the recorded `assign` slot writes nothing
                           x.pay = {k, k != kTabled, reinterpret_cast<std::uintptr_t>(value), nullptr, word};
                       }
                   });
        }
    } else if (op == 6 && a == b && x.live) { // assigning a node to itself writes nothing
        mutate([&] { return cstd_tree_assign(node(a), node(a)); }, 0, [] {});
    } else if (op == 6 && childlessRoot(a) && childlessRoot(b)) { // copies are shallow: only childless roots
        const Kind k = x.pay.kind, from = m[b].pay.kind;
        const bool fits = sizeOf(k) == sizeOf(from) && (!assigns(k) || k == from);
        mutate([&] { return cstd_tree_assign(node(a), node(b)); }, fits ? 0 : cstd_tree_errPayloadMismatch,
               [&] { x.pay = m[b].pay; });
    } else if (op == 7 && a >= kHeapSlots && !x.live && childlessRoot(b)) { // copy b into a record in place
        mutate([&] { return cstd_tree_constructCopy(node(a), node(b)); }, 0,
               [&] {
                   create(a, m[b].pay.kind);
                   x.pay = m[b].pay;
               });
    } else if ((op == 8 || op == 9 || op == 10) && x.live) {
        query(a, v, b);
    } else if (op == 11 || op == 12) {
        arrayStep(a + v / 8, b, v);
    } else if (op >= 13) { // the next call's fault: which of its system calls, with what status
        static const cstd_status kStatuses[] = {csys_errNoMemory, csys_errOutOfRange, CSTD_STATUS_FAILURE(0x0F00), 1,
                                                0x100};
        faultAt = 1 + v % 40;
        faultStatus = kStatuses[b % 5];
        return;
    }
    faultAt = 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    probe::reset();
    uint32_t live = 1;
    stepNo = 0;
    need(csys_memory_getLiveBlockCount(&live) == 0 && live == 0, "the heap is not empty at the start");
    need(cstd_vector_cstd_treePtr_constructEmpty(&arr) == 0, "array");
    sync();
    items.clear();
    faultAt = 0;
    for (const uint8_t *const end = data + size; data < end && stepNo < 256; ++stepNo) {
        step(data, end);
    }
    // Everything goes, with no fault: the records in place first, since heap
    // nodes may hang below them, then every heap root with its subtree.
    std::snprintf(stepText, sizeof stepText, "the final clean-up");
    for (int x = kSlots - 1; x >= 0; --x) {
        if (m[x].live && (x >= kHeapSlots || m[x].parent < 0)) {
            need((x >= kHeapSlots ? cstd_tree_destruct(node(x)) : cstd_tree_deleteThisAndAllDescendants(&heap[x])) == 0,
                 "clean-up");
            kill(x);
        }
    }
    need(cstd_vector_cstd_treePtr_destruct(&arr) == 0, "array");
    sync();
    need(csys_memory_getLiveBlockCount(&live) == 0 && live == 0, "blocks outlive the input");
    need(probe::liveBlocks() == 0 && probe::liveArrays() == 0 && probe::liveElements() == 0,
         "blocks, arrays or elements outlive the input");
    arrays.clear();
    elements.clear();
    return 0;
}
