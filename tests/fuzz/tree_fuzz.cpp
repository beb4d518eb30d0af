// Stateful fuzzing of the tree against a model made of plain containers.
//
// The input is a program over a pool of 16 nodes (14 heap nodes, 2 records in
// place), 4 bytes a step: an operation, two slots and a value. Each step makes
// one legal call; the model (per node: parent, ordered children, payload kind)
// says what it returns and what the pool looks like afterwards, down to the
// live blocks, arrays and payload elements. A step may make the Nth call of
// the next one fail, or return a positive status, which must pass as success.
// A failure must come back as the failed call's status and leave no link or
// list naming a released node; then the input ends: what the pool reaches is
// released, and nothing may be left.
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "kit.hpp"

namespace {

using namespace kit;
constexpr int kHeap = 14, kSlots = 16;
// Payload kinds: a value; int32 bytes; 4 bytes under recording slots; a
// payload node; a value under a table that only destroys.
const Payload kTabled4{"tabled", 4, &kRec, ""}, kDestroys{"destroys", 0, &kDestructOnly, ""};
const Payload *const kKinds[] = {&kPlain, &families()[0], &kTabled4, &families()[2], &kDestroys};
enum { kValue, kBytes, kTabled, kTree };

struct Node {
    bool live = false;
    int parent = -1, kind = kValue;
    std::vector<int> kids;
    bool born = false; // its element was built by a `construct` slot
};
cstd_tree *heap[kHeap], local[kSlots - kHeap];
Node m[kSlots];
unsigned faultAt = 0; // the call of the next step to fail, 1 up; 0 none
cstd_status faultStatus = 0;
std::size_t made = 0; // calls the last step made
int stepNo = 0;

void need(bool ok, const char *what)
{
    if (!ok) std::fprintf(stderr, "tree_fuzz: step %d: %s\n", stepNo, what), std::abort();
}

cstd_tree *node(int x) { return x < kHeap ? heap[x] : &local[x - kHeap]; }
int indexOf(int x)
{
    const std::vector<int> &k = m[m[x].parent].kids;
    return int(std::find(k.begin(), k.end(), x) - k.begin());
}
int sibling(int x, int offset) // the sibling that far from x, or -1
{
    const int i = m[x].parent < 0 ? -2 : indexOf(x) + offset;
    return i >= 0 && i < int(m[m[x].parent].kids.size()) ? m[m[x].parent].kids[std::size_t(i)] : -1;
}
int successor(int x) // in pre-order: the first child, else the next sibling of x or of an ancestor
{
    if (!m[x].kids.empty()) return m[x].kids[0];
    for (; x >= 0; x = m[x].parent)
        if (sibling(x, 1) >= 0) return sibling(x, 1);
    return -1;
}
int depth(int x) { return m[x].parent < 0 ? 0 : 1 + depth(m[x].parent); }
bool above(int a, int x) { return x >= 0 && (x == a || above(a, m[x].parent)); } // a is x or its ancestor
bool childlessRoot(int x) { return m[x].live && m[x].parent < 0 && m[x].kids.empty(); }
void detach(int c)
{
    if (m[c].parent >= 0) std::erase(m[m[c].parent].kids, c), m[c].parent = -1;
}
void kill(int x) // x and its subtree are gone
{
    detach(x);
    for (int k : std::vector<int>(m[x].kids)) m[k].parent = -1, kill(k);
    m[x] = Node{};
    if (x < kHeap) heap[x] = nullptr;
}

// The library against the model: links, lists, payload kinds and live counts.
void verify()
{
    probe::Counts want{0, 0, 0};
    for (int x = 0; x < kSlots; ++x) {
        const Node &n = m[x];
        const cstd_tree *t = node(x);
        const Payload &k = *kKinds[n.kind];
        if (!n.live) continue;
        Nodes kids;
        for (int c : n.kids) kids.push_back(node(c));
        need(t->parent == (n.parent < 0 ? nullptr : node(n.parent)) && listOf(t) == kids &&
                 t->indexInParent == (n.parent < 0 ? -1 : indexOf(x)),
             "links or lists differ from the model's");
        need(t->dataSize == k.size && t->vtable == k.table, "the payload's kind differs from the model's");
        std::uint64_t next = kUnset, levels = kUnset; // the climbs, through the family's entries too
        const cstd_status walked = kQueries[kStep].core(node(x), cstd_tree_searchDepthFirst, &next);
        need(walked == (successor(x) < 0 ? cstd_tree_errSearchEnd : 0) &&
                 next == (walked < 0 ? kUnset : word(node(successor(x)))) &&
                 kQueries[kDepth].family(node(x), 0, &levels) == 0 && levels == std::uint64_t(depth(x)),
             "the search step or the depth differs from the model's");
        want[0] += (x < kHeap) + (k.size != 0), want[1] += 1 + (n.kind == kTree), want[2] += n.born;
    }
    need(probe::counts() == want, "live blocks, arrays or elements differ from the model's");
}

// Runs the next call with the fault the last step armed, against the status
// the model expects, then updates the model and checks it. A negative fault
// that fired must come back as it is; then no link or list may name a released
// node, and releasing what the pool reaches must leave nothing live: the input ends.
void mutate(const std::function<cstd_status()> &f, cstd_status want, const std::function<void()> &apply)
{
    probe::reset();
    if (faultAt != 0) probe::inject({probe::Fn::any, faultAt, faultStatus});
    const cstd_status got = f();
    made = probe::calls().size();
    probe::reset(); // the fault reaches no check
    const bool fired = faultAt != 0 && made >= faultAt;
    faultAt = 0;
    need(got == want || (fired && (faultStatus >= 0 ? want < 0 || got >= 0
                                   : got >= 0       ? want >= 0
                                                    : got == faultStatus)),
         "the status differs from the model's");
    if (!fired || faultStatus >= 0 || got >= 0) return want >= 0 ? apply() : void(), verify();
    const probe::Live live = probe::liveNow();
    std::vector<const cstd_tree *> pool;
    for (int x = 0; x < kSlots; ++x)
        if (x >= kHeap || live.blocks.contains(heap[x])) pool.push_back(node(x));
    for (const cstd_tree *t : pool) {
        Nodes named = live.arrays.contains(&t->children) ? listOf(t) : Nodes{};
        named.push_back(t->parent);
        for (const cstd_tree *e : named)
            need(!e || live.blocks.contains(e) || e == local || e == local + 1, "a link or list names a lost node");
    }
    probe::release(pool, live);
    need(probe::counts() == probe::Counts{}, "a failure left what nothing reaches");
    throw 0;
}

// A step is 4 bytes: the operation, slots a and b, and a value (a payload
// kind, a query...). Calls that would break a caller's duty are skipped: none
// pointers, a node attached below itself, a node in place attached below
// another, copies of nodes with links.
void step(const uint8_t *&in, const uint8_t *end)
{
    uint8_t bytes[4] = {};
    for (uint8_t &byte : bytes) byte = in < end ? *in++ : 0;
    const int op = bytes[0] % 10, a = bytes[1] % kSlots, b = bytes[2] % kSlots, v = bytes[3], kind = v % 5;
    Node &x = m[a];
    if (op <= 1 && x.live && m[b].live && b < kHeap && !above(b, a)) { // attach b below a
        mutate([&] { return cstd_tree_addChild(node(a), node(b)); }, m[b].parent >= 0 ? cstd_tree_errWrongParent : 0,
               [&] { m[b].parent = a, x.kids.push_back(b); });
    } else if (op == 2 && x.live && m[b].live) { // detach b from a
        mutate([&] { return cstd_tree_removeChild(node(a), node(b)); }, m[b].parent == a ? 0 : cstd_tree_errWrongParent,
               [&] { detach(b); });
    } else if (op == 3 && (a < kHeap || !x.live) && x.parent < 0) { // a new node in slot a, deleting its root
        mutate([&] { return a < kHeap ? kKinds[kind]->renew(&heap[a]) : kKinds[kind]->build(node(a)); }, 0,
               [&] {
                   cstd_tree *made = node(a);
                   kill(a);
                   if (a < kHeap) heap[a] = made;
                   x = Node{true, -1, kind, {}, kind == kTabled};
               });
    } else if (op == 4 && a < kHeap && !x.live) { // deleting none calls nothing
        mutate([&] { return cstd_tree_deleteThisAndAllDescendants(&heap[a]); }, 0, [] {});
        need(made == 0, "deleting none made a call");
    } else if (op == 4 && x.live && x.parent >= 0) { // a node is detached before it is deleted
        mutate([&] { return cstd_tree_removeChild(node(x.parent), node(a)); }, 0, [&] { detach(a); });
    } else if (op == 4 && x.live) { // the deletions, and destruction in place
        const int how = a >= kHeap ? 3 : v % 3;
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
                need(how == 3 ? isRoot(t) && !t->data && !t->dataSize && !t->vtable : t == nullptr,
                     "a deletion left the pointer set, or a destruction a record not raw");
                for (int k : how == 2 ? std::vector<int>(x.kids) : std::vector<int>{}) detach(k);
                kill(a);
            });
    } else if (op == 5 && x.live && (x.kind != kTree || (childlessRoot(b) && kKinds[m[b].kind]->size == 0))) {
        // set the payload: a value, 4 bytes, or a value node to assign from
        const auto bytesValue = int32_t(unsigned(v) * 0x01010101u);
        const void *value = x.kind == kTree ? static_cast<const void *>(node(b))
                            : x.kind == kBytes
                                ? static_cast<const void *>(&bytesValue)
                                : reinterpret_cast<const void *>(std::uintptr_t{0x1000} + unsigned(v) * 16);
        mutate([&] { return cstd_tree_setData(node(a), value); }, 0, [] {});
        need(x.kind != kBytes || *static_cast<const int32_t *>(node(a)->data) == bytesValue, "the bytes are not set");
    } else if (op == 6 && a == b && x.live) { // assigning a node to itself writes nothing
        mutate([&] { return cstd_tree_assign(node(a), node(a)); }, 0, [] {});
    } else if (op == 6 && childlessRoot(a) && childlessRoot(b)) { // copies are shallow: only childless roots
        const Payload &to = *kKinds[x.kind], &from = *kKinds[m[b].kind];
        const bool fits = to.size == from.size && (to.table == nullptr || !to.table->assign || to.table == from.table);
        mutate([&] { return cstd_tree_assign(node(a), node(b)); }, fits ? 0 : cstd_tree_errPayloadMismatch,
               [&] { x.kind = m[b].kind; });
    } else if (op == 7 && a >= kHeap && !x.live && childlessRoot(b)) { // copy b into a record in place
        mutate([&] { return cstd_tree_constructCopy(node(a), node(b)); }, 0,
               [&] {
                   x = Node{true, -1, m[b].kind, {}, m[b].kind == kTabled};
               });
    } else if (op >= 8) { // the next step's fault: which of its calls, with what status
        static const cstd_status kStatuses[] = {csys_errNoMemory, csys_errOutOfRange, CSTD_STATUS_FAILURE(0x0F00), 1,
                                                0x100};
        faultAt = 1 + unsigned(v) % 40;
        faultStatus = kStatuses[b % 5];
        return;
    }
    faultAt = 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    stepNo = 0, faultAt = 0;
    need(probe::counts() == probe::Counts{}, "the heap is not empty at the start");
    try {
        for (const uint8_t *const end = data + size; data < end && stepNo < 256; ++stepNo) step(data, end);
    } catch (int) { // a failure ended the input and released the pool
        std::fill(m, m + kSlots, Node{});
        std::fill(heap, heap + kHeap, nullptr);
        return 0;
    }
    // Everything goes, with no fault: the records in place first, since heap
    // nodes may hang below them, then every heap root with its subtree.
    for (int x = kSlots - 1; x >= 0; --x) {
        if (m[x].live && (x >= kHeap || m[x].parent < 0)) {
            need((x >= kHeap ? cstd_tree_destruct(node(x)) : cstd_tree_deleteThisAndAllDescendants(&heap[x])) == 0,
                 "clean-up");
            kill(x);
        }
    }
    need(probe::counts() == probe::Counts{}, "blocks, arrays or elements outlive the input");
    return 0;
}
