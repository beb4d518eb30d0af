// The fault sweep: every call that zodovar9 makes into the system and math
// libraries, and every element-table slot it calls, made to fail in turn.
//
// A scenario builds a world (never swept), runs one operation on it (swept)
// and judges what the operation left. Run clean, the operation makes K calls;
// then call i (1..K) fails once, fails from then on, and returns a positive
// status instead, each site with a code of its own, so that a status passed
// back from the wrong call shows. The recording library tells what is live
// and what of it the setup built. Then what the world still reaches, or a
// refused release left, is released, and the live counts must come back:
// whatever a failure leaves must at least stay reachable.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "probe.hpp"

namespace {

using probe::Fn;
using Nodes = std::vector<cstd_tree *>;
using Counts = std::array<long, 3>; // live blocks, arrays, payload elements
using Setup = std::function<void(struct World &)>;

const cstd_vtable kRec = probe::table({}), kNoConstruct = probe::table({.construct = false}),
                  kZeroFill = probe::table({.construct = false, .tag = 0}), kNoAssign = probe::table({.assign = false}),
                  kNoDestruct = probe::table({.destruct = false});

// A payload kind: a size and table for the core's sized constructors, or a
// family's own entries (its size and table read off a node it builds).
struct Payload {
    std::string name;
    uint32_t size;
    const cstd_vtable *table;
    cstd_status(CSTD_CALL *construct)(cstd_tree *) = nullptr;
    cstd_status(CSTD_CALL *make)(cstd_tree **) = nullptr;
    cstd_status(CSTD_CALL *copy)(cstd_tree *, const cstd_tree *) = &cstd_tree_constructCopy;
    cstd_status build(cstd_tree *t) const
    {
        return construct ? construct(t) : cstd_tree_constructWithSizeAndVtable(t, size, table);
    }
    cstd_status renew(cstd_tree **p) const { return make ? make(p) : cstd_tree_newWithSizeAndVtable(p, size, table); }
};
const Payload kPlain{"plain", 0, nullptr, &cstd_tree_construct, &cstd_tree_new}, kNone{"none", 0, nullptr},
    kBuffer{"buffer", 8, nullptr}, kRecording{"recording", 8, &kRec}, kRecValue{"recording value", 0, &kRec},
    kNoCons{"no construct", 8, &kNoConstruct}, kZero{"zero-fill", 8, &kZeroFill}, kNoAsg{"no assign", 8, &kNoAssign},
    kNoDes{"no destruct", 8, &kNoDestruct};
std::vector<Payload> gFamilies;
const cstd_vtable *gTreeTable = nullptr;

Nodes listOf(const cstd_tree *n)
{
    void *begin = nullptr;
    uint32_t size = 0;
    cstd_vector__getBeginSize32(const_cast<cstd_vector *>(&n->children), &begin, &size);
    return Nodes(static_cast<cstd_tree **>(begin), static_cast<cstd_tree **>(begin) + size);
}
bool isRoot(const cstd_tree *n) { return n->parent == nullptr && n->indexInParent == -1; }
cstd_tree *inner(const cstd_tree *n) { return static_cast<cstd_tree *>(n->data); }
bool slotAssigns(const cstd_tree &n) { return n.vtable != nullptr && n.vtable->assign != nullptr; }
bool plainBytes(const cstd_tree &n) { return n.dataSize != 0 && !slotAssigns(n) && n.vtable != gTreeTable; }
bool treeData(const cstd_tree &n) { return n.vtable == gTreeTable; }
// Every node below `n` names its parent and stands where the list has it.
bool consistent(const cstd_tree *n)
{
    const Nodes kids = listOf(n);
    for (std::size_t k = 0; k < kids.size(); ++k)
        if (kids[k]->parent != n || kids[k]->indexInParent != int32_t(k) || !consistent(kids[k])) return false;
    return true;
}
Nodes postOrder(cstd_tree *n, Nodes out = {})
{
    for (cstd_tree *child : listOf(n)) out = postOrder(child, std::move(out));
    out.push_back(n);
    return out;
}
// `t`'s payload node lists what `src`'s does, or its bytes are `src`'s.
bool samePayload(const cstd_tree &t, const cstd_tree &src)
{
    return (!treeData(t) || listOf(inner(&t)) == listOf(inner(&src))) &&
           (!plainBytes(t) || std::memcmp(t.data, src.data, t.dataSize) == 0);
}

struct World {
    cstd_tree t[2]{}, before[2]{}; // nodes in place (t[0] is acted on), and as the setup left them (or what `p` named)
    cstd_tree *p = nullptr;        // the caller's pointer
    Nodes n;                       // the setup's heap nodes
    unsigned char bytes[64];
    // A deletion: the node given, its nodes in the order they go, nodes it
    // must not touch, nodes taken apart early, and each node's parent, block
    // and payload element as the setup left them.
    cstd_tree *top = nullptr;
    Nodes post, keep;
    std::set<cstd_tree *> loose;
    std::map<cstd_tree *, cstd_tree *> up;
    std::map<cstd_tree *, const void *> block, element;
    bool orphans = false; // the top's children are left as roots
    // The run: its mode, the call whose failure the operation must report
    // (if one failed), its status, what is live after it (and what of that
    // the setup built), and the live counts against before it and the setup.
    bool positive = false, once = true, failed = false;
    probe::Call call{};
    cstd_status status = 0;
    probe::Live live, old;
    Counts delta{}, total{};

    bool holds(const void *a) const
    {
        return std::less_equal<const void *>()(this, a) && std::less<const void *>()(a, this + 1);
    }
    bool listed(const cstd_tree *x) const { return old.arrays.contains(&x->children); }
    bool has(const std::map<cstd_tree *, const void *> &m, const std::set<const void *> &in, cstd_tree *x) const
    {
        return m.contains(x) && in.contains(m.at(x));
    }
    // Gone: a heap node's record released; a node in place, taken apart.
    bool gone(const cstd_tree *x) const { return holds(x) ? !listed(x) : !old.blocks.contains(x); }
    bool intact(cstd_tree *x) const
    {
        return listed(x) && has(block, old.blocks, x) == block.contains(x) &&
               has(element, old.elements, x) == element.contains(x);
    }
    bool husk(cstd_tree *x) const { return !listed(x) && !has(block, old.blocks, x) && !has(element, old.elements, x); }
    // Heap nodes with recording payloads, linked as `parents` says (the index
    // of each one's parent among them; -1: below `root`, or a root).
    void grow(std::initializer_list<int> parents, cstd_tree *root)
    {
        const std::size_t first = n.size();
        for (const int parent : parents) {
            kRecording.renew(&n.emplace_back());
            if (cstd_tree *above = parent < 0 ? root : n[first + std::size_t(parent)])
                cstd_tree_addChild(above, n.back());
        }
    }
    void settle(cstd_tree *node, Nodes order, Nodes untouched = {})
    {
        top = node;
        before[0] = *node;
        post = std::move(order);
        keep = std::move(untouched);
        for (const Nodes *list : {&post, &keep})
            for (cstd_tree *x : *list) {
                up[x] = x->parent;
                if (x->dataSize != 0) block[x] = x->data;
                if (x->vtable == &kRec) element[x] = x->data;
            }
    }
    // What the caller can reach: the nodes in place, its pointer, the setup's
    // nodes, and below each its list, its block and a payload node (a block
    // where a live list lies as a node's); and what a refused release left.
    std::set<const void *> reached() const
    {
        std::set<const void *> seen;
        std::vector<const cstd_tree *> nodes{&t[0], &t[1]};
        if (live.blocks.contains(p)) nodes.push_back(p);
        for (const cstd_tree *x : n)
            if (old.blocks.contains(x)) nodes.push_back(x);
        for (std::size_t k = 0; k < nodes.size(); ++k) { // payload nodes join the walk
            const cstd_tree *x = nodes[k];
            seen.insert({x, &x->children});
            if (live.blocks.contains(x->data) && seen.insert(x->data).second &&
                live.arrays.contains(&inner(x)->children))
                nodes.push_back(inner(x));
        }
        seen.insert(live.refused.begin(), live.refused.end());
        return seen;
    }
};

// ---- checks and scenarios -------------------------------------------------------

struct Check {
    std::string what;
    void operator()(bool ok, const std::string &text) { what += ok ? "" : (what.empty() ? "" : "; ") + text; }
};

using Checker = std::function<void(World &, Check &)>;
struct Scenario {
    std::string name;
    bool keeps; // the operation neither acquires nor releases
    Setup setup;
    std::function<cstd_status(World &)> act;
    Checker check;
};

// After a deletion, failed or not: the nodes gone are the first in its order
// and left nothing behind. On the way down from the top to the first node
// left, the nodes already detached are roots and the rest are in place; the
// last one detached may still be listed (its removal failed) or be half taken
// apart. Every other node left is whole and where it was (a failed renumbering
// leaves positions one too high), and no link or list names a released record.
// While the top stands, the caller's pointer names it.
void deletion(World &w, Check &c)
{
    std::size_t k = 0;
    while (k < w.post.size() && w.gone(w.post[k])) ++k;
    for (cstd_tree *n : Nodes(w.post.begin(), w.post.begin() + long(k)))
        c((n == w.top && w.failed) || w.husk(n), "a deleted node left its list, block or element");
    Nodes path; // from below the top down to the first node left
    for (cstd_tree *x = k < w.post.size() ? w.post[k] : nullptr; x != nullptr && x != w.top; x = w.up[x])
        path.insert(path.begin(), x);
    cstd_tree *handled = nullptr;
    bool inPlace = false;
    for (cstd_tree *x : path) {
        inPlace = inPlace || !isRoot(x);
        handled = inPlace ? handled : x;
        c(!inPlace || x->parent == w.up[x], "a node on the way down is neither detached nor in place");
    }
    cstd_tree *const half = path.empty() && k < w.post.size() ? w.top : handled;
    const bool renumbered = !w.failed || w.call.fn != Fn::cstd_vector__getBeginSize32;
    Nodes left(w.post.begin() + long(k), w.post.end());
    left.insert(left.end(), w.keep.begin(), w.keep.end());
    for (cstd_tree *n : left) {
        c(!w.gone(n), "a node was deleted out of turn");
        if (w.gone(n)) continue;
        c(n == half || w.loose.contains(n) || w.intact(n), "a node not yet handled lost its list or payload");
        c(n->parent == nullptr || !w.gone(n->parent), "a node names a released parent");
        if (w.orphans && w.up[n] == w.top)
            c(renumbered ? isRoot(n) : n->parent == w.top, "a former child is not a root");
        else if (n != w.top && std::find(path.begin(), path.end(), n) == path.end())
            c(n->parent == w.up[n], "a node not yet handled moved");
        const Nodes kids = w.listed(n) ? listOf(n) : Nodes{};
        for (std::size_t pos = 0; pos < kids.size(); ++pos) {
            const cstd_tree *ch = kids[pos];
            const int32_t at = ch->indexInParent;
            c(!w.gone(ch) && ((ch->parent == n && (at == int32_t(pos) || (!renumbered && at == int32_t(pos) + 1))) ||
                              (ch->parent == nullptr && (ch == handled || ch == w.top || (w.orphans && n == w.top)))),
              "a listed node's links do not match the list");
        }
    }
    if (w.holds(w.top) && w.gone(w.top)) { // taken apart in place, or stopped at its payload
        const cstd_tree &t = *w.top, &b = w.before[0];
        c(isRoot(&t), "the node destroyed in place is not a root");
        c(w.failed ? t.dataSize == b.dataSize && t.vtable == b.vtable && t.data == b.data &&
                         w.old.blocks.contains(b.data) == (b.dataSize != 0)
                   : t.data == nullptr && t.dataSize == 0 && t.vtable == nullptr,
          "the payload fields are not as the last step left them");
    }
    c(w.holds(w.top) || w.gone(w.top) || w.p == w.top, "the caller's pointer is wrong");
}

bool asked(const cstd_tree *t, const Payload &k)
{
    return t != nullptr && isRoot(t) && listOf(t).empty() && t->dataSize == k.size && t->vtable == k.table;
}

// A failed build leaves nothing: no list, no block, no element.
Checker builtInPlace(const Payload &k)
{
    return [k](World &w, Check &c) {
        const cstd_tree &t = w.t[0];
        c(isRoot(&t), "the node's links are not a root's");
        if (!w.failed) return c(asked(&t, k), "not the node asked for");
        const bool listBuilt = w.call.fn != Fn::cstd_vector__constructWithVtable;
        c(!listBuilt || (t.dataSize == k.size && t.vtable == k.table), "dataSize or vtable not as given");
        c(!w.once || ((!listBuilt || t.data == nullptr) && w.delta == Counts{}), "a failed build left something");
    };
}

// A failed new leaves the old node as its deletion's failure leaves it, or
// nothing at all.
Checker madeOnHeap(const Payload &k)
{
    return [k](World &w, Check &c) {
        if (w.top != nullptr) deletion(w, c);
        if (w.top == nullptr || w.gone(w.top))
            c(w.failed ? w.p == nullptr && (!w.once || w.total == Counts{}) : asked(w.p, k), "not the node asked for");
    };
}

// R {n1 {n2, n3}, n4, n5 {n6 {n7}}}, with recording payloads, in `p`.
void oldTree(World &w)
{
    w.grow({-1, 0, 1, 1, 0, 0, 5, 6}, nullptr);
    w.p = w.n[0];
    w.settle(w.p, postOrder(w.p));
}

// A tree-of-trees node in `p` whose payload node holds two heap nodes.
void treeOfTrees(World &w)
{
    gFamilies[2].renew(&w.p);
    w.grow({-1, -1}, inner(w.p));
    w.settle(w.p, {w.n[0], w.n[1], inner(w.p), w.p});
    w.loose = {w.p}; // its list goes before its payload node's subtree
}

std::vector<Scenario> scenarios()
{
    std::vector<Scenario> s;
    const auto add = [&s](auto... parts) { s.push_back({parts...}); };
    const auto nothing = [](World &) {};
    std::vector<Payload> kinds{kNone, kBuffer, kRecording, kRecValue, kNoCons, kZero, kNoAsg, kNoDes};
    kinds.insert(kinds.end(), gFamilies.begin(), gFamilies.end());
    const auto is = [](const Payload &k, std::initializer_list<const Payload *> any) {
        return std::any_of(any.begin(), any.end(), [&k](const Payload *x) { return x->name == k.name; });
    };

    // Construction in place, and on the heap over none, a subtree or a tree of trees.
    add(
        "construct, plain", false, nothing, [](World &w) { return kPlain.build(&w.t[0]); }, builtInPlace(kPlain));
    for (const Payload &k : kinds)
        if (!is(k, {&kNoAsg, &kNoDes}))
            add(
                "construct, " + k.name, false, nothing, [k](World &w) { return k.build(&w.t[0]); }, builtInPlace(k));
    const std::tuple<const char *, Setup, Payload> news[] = {
        {"none", nothing, kPlain},          {"none", nothing, kRecording},
        {"none", nothing, gFamilies[0]},    {"none", nothing, gFamilies[1]},
        {"none", nothing, gFamilies[2]},    {"a subtree", oldTree, kPlain},
        {"a subtree", oldTree, kRecording}, {"a tree of trees", treeOfTrees, gFamilies[0]}};
    for (const auto &[over, setup, k] : news)
        add(
            std::string("new over ") + over + ", " + k.name, false, setup, [k](World &w) { return k.renew(&w.p); },
            madeOnHeap(k));

    // Attachment in the middle of a list: a parent with children a, b, c.
    const auto abc = [](World &w) { w.grow({-1, 0, 0, 0, -1}, nullptr); };
    add(
        "addChild after three", true, abc, [](World &w) { return cstd_tree_addChild(w.n[0], w.n[4]); },
        [](World &w, Check &c) {
            c(w.n[4]->parent == w.n[0], "the child does not name the parent");
            c(listOf(w.n[0]).size() == (w.failed ? 3u : 4u) && consistent(w.n[0]), "the list is wrong");
            c(!w.failed || w.n[4]->indexInParent == (w.call.fn == Fn::cstd_vector__pushBack ? 3 : -1),
              "the position is wrong");
        });
    add(
        "removeChild from the middle", true, abc, [](World &w) { return cstd_tree_removeChild(w.n[0], w.n[2]); },
        [](World &w, Check &c) {
            const bool erased = !w.failed || w.call.fn == Fn::cstd_vector__getBeginSize32;
            c(isRoot(w.n[2]), "the child is not detached");
            c(listOf(w.n[0]) == (erased ? Nodes{w.n[1], w.n[3]} : Nodes{w.n[1], w.n[2], w.n[3]}), "the list is wrong");
            c(w.n[1]->indexInParent == 0 && w.n[3]->indexInParent == (w.failed ? 2 : 1), "the positions are wrong");
        });

    // Payload writes and assignment onto t[0] from t[1], for each kind whose
    // path is its own: each with a child and a filled payload (or a payload
    // node with a child), t[1] the second child of a parent.
    const auto fill = [](World &w, cstd_tree *t, unsigned char with) {
        if (treeData(*t)) w.grow({-1}, inner(t));
        if (plainBytes(*t)) std::memset(t->data, with, t->dataSize);
    };
    const auto pair = [fill](const Payload &to, const Payload &from) -> Setup {
        return [to, from, fill](World &w) {
            to.build(&w.t[0]);
            from.build(&w.t[1]);
            for (int j : {0, 1}) w.grow({-1}, &w.t[j]), fill(w, &w.t[j], std::uint8_t(0x11 * (j + 1)));
            if (w.t[1].dataSize == 0 && !slotAssigns(w.t[1])) cstd_tree_setData(&w.t[1], w.bytes);
            w.grow({-1, 0}, nullptr);
            cstd_tree_addChild(w.n[w.n.size() - 2], &w.t[1]);
            std::copy(w.t, w.t + 2, w.before);
        };
    };
    for (const Payload &k : kinds)
        if (!is(k, {&kNone, &kNoCons, &kZero, &kNoDes}))
            add(
                "setData, " + k.name, true, pair(k, k),
                [](World &w) { return cstd_tree_setData(&w.t[0], treeData(w.t[0]) ? inner(&w.t[1]) : w.t[1].data); },
                [](World &w, Check &c) {
                    const cstd_tree &t = w.t[0];
                    c(std::memcmp(&t, &w.before[0], sizeof t) == 0, "setData wrote a field of the node");
                    c(samePayload(t, w.t[1]) != (w.failed && (plainBytes(t) || treeData(t))), "the payload is wrong");
                });
    std::vector<std::pair<Payload, Payload>> pairs{{kBuffer, kNoAsg}}; // plain bytes from a table's
    for (const Payload &k : kinds)
        if (!is(k, {&kNoCons, &kZero, &kNoDes, &gFamilies[0]})) pairs.push_back({k, k});
    for (const auto &[to, from] : pairs)
        add(
            "assign, " + to.name + " from " + from.name, true, pair(to, from),
            [](World &w) { return cstd_tree_assign(&w.t[0], &w.t[1]); },
            [](World &w, Check &c) {
                const cstd_tree &t = w.t[0], &src = w.t[1], &b = w.before[0];
                const bool listFailed = w.failed && w.call.args[0] == probe::word(&t.children);
                c(std::memcmp(&src, &w.before[1], sizeof src) == 0, "the source changed");
                c(t.parent == src.parent && t.indexInParent == src.indexInParent, "the source's place was not taken");
                c((listOf(&t) == listOf(&src)) != listFailed, "the list is not as the failed step left it");
                c(t.dataSize == (listFailed ? b.dataSize : src.dataSize), "dataSize is wrong");
                c(t.vtable == (w.failed ? b.vtable : src.vtable), "vtable is wrong");
                c(t.data == (src.dataSize == 0 && !slotAssigns(b) && !w.failed ? src.data : b.data), "data is wrong");
                c(samePayload(t, src) != (w.failed && (plainBytes(b) || treeData(t))), "the payload is wrong");
            });

    // Copies of a source with two children: a failed one keeps a list only
    // when it names the source's children, and a table without a `destruct`
    // slot leaves its element to the caller.
    for (const Payload &k : kinds)
        if (!is(k, {&kNoAsg}))
            add(
                "constructCopy, " + k.name, false,
                [k, fill](World &w) {
                    k.renew(&w.p);
                    fill(w, w.p, 0x33);
                    w.grow({-1, -1}, w.p);
                    w.before[1] = *w.p;
                },
                [k](World &w) { return k.copy(&w.t[0], w.p); },
                [](World &w, Check &c) {
                    const cstd_tree &src = *w.p, &t = w.t[0];
                    c(std::memcmp(&src, &w.before[1], sizeof src) == 0 && consistent(&src), "the source changed");
                    c(isRoot(&t), "the copy's links are not a root's");
                    const bool kept = w.live.arrays.contains(&t.children), leaves = src.vtable && !src.vtable->destruct;
                    if (!w.failed) {
                        c(listOf(&t) == listOf(&src) && samePayload(t, src) && t.dataSize == src.dataSize &&
                              t.vtable == src.vtable,
                          "not a copy");
                        c(src.dataSize == 0 ? t.data == src.data : t.data != src.data,
                          "the payload is not the copy's own");
                    } else if (w.once) {
                        c(!kept || listOf(&t) == listOf(&src), "a failed copy kept a list of its own");
                        c(w.delta[0] == 0 && w.delta[1] == kept && (leaves || w.delta[2] == 0),
                          "a failed copy left something");
                    }
                });

    // Deletions over subtrees of three levels and several widths: through the
    // caller's pointer, and in place (t[0], maybe between two siblings).
    const auto orphaning = [](World &w) {
        oldTree(w);
        w.orphans = true;
        w.settle(w.p, {w.p}, Nodes(w.post.begin(), w.post.end() - 1));
    };
    const std::tuple<const char *, Setup, cstd_status(CSTD_CALL *)(cstd_tree **)> deletes[] = {
        {"delete", oldTree, &cstd_tree_delete},
        {"deleteThisAndAllDescendants", oldTree, &cstd_tree_deleteThisAndAllDescendants},
        {"deleteThisButNotDescendants", orphaning, &cstd_tree_deleteThisButNotDescendants},
        {"delete of a tree of trees", treeOfTrees, &cstd_tree_tree_delete}};
    for (const auto &[name, setup, fn] : deletes)
        add(
            name, false, setup, [fn](World &w) { return fn(&w.p); },
            [](World &w, Check &c) {
                deletion(w, c);
                c(!w.gone(w.top) || w.p == nullptr, "the caller's pointer is wrong");
            });
    const std::tuple<const char *, Payload, bool> destructs[] = {{"over a subtree", kRecording, true},
                                                                 {"of a buffer", kBuffer, false},
                                                                 {"of a recording value", kRecValue, false},
                                                                 {"of a no destruct", kNoDes, false}};
    for (const auto &[name, k, subtree] : destructs)
        add(
            std::string("destruct ") + name, false,
            [k, subtree](World &w) {
                k.build(&w.t[0]);
                if (subtree) w.grow({-1, 0, 0, -1, -1, 4, 5, 5}, &w.t[0]);
                w.settle(&w.t[0], postOrder(&w.t[0]), Nodes{});
            },
            [](World &w) { return cstd_tree_destruct(&w.t[0]); }, deletion);
    return s;
}

// ---- the sweep ---------------------------------------------------------------------

Counts live() { return {long(probe::liveBlocks()), long(probe::liveArrays()), long(probe::liveElements())}; }

struct Sweep {
    unsigned scenarios = 0, sites = 0, injections = 0, violations = 0, leaks = 0;
    const Scenario *sc = nullptr;
    std::vector<probe::Call> cleanLog;
    cstd_status cleanStatus = 0;
    Counts cleanDelta{};
    unsigned last = 0; // the last call whose status the operation may pass on

    // Sets the world up, runs the action under a fault at call `i` (0: the
    // clean run) in `mode` (0 once, 1 from then on, 2 positive), judges, and
    // releases what the world reaches; the live counts must then come back.
    void run(unsigned i, int mode)
    {
        const auto world = std::make_unique<World>();
        World &w = *world;
        w.positive = mode == 2, w.once = mode != 1;
        const cstd_status code = w.positive ? cstd_status(0x2000 + i) : -cstd_status(0x1000 + i);
        const Counts zero = live();
        probe::reset();
        sc->setup(w);
        std::size_t strays = probe::strayArrayCalls();
        const Counts ready = live();
        probe::reset();
        if (i != 0) probe::inject({Fn::any, i, code, w.once ? probe::Mode::once : probe::Mode::fromThenOn});
        w.status = sc->act(w);
        const std::vector<probe::Call> log = probe::calls();
        strays += probe::strayArrayCalls();
        w.live = probe::liveNow(), w.old = probe::liveNow(true);
        probe::reset(); // no fault reaches the checks or the release
        for (std::size_t k = 0; k < 3; ++k) w.delta[k] = live()[k] - ready[k], w.total[k] = live()[k] - zero[k];
        if (i == 0) cleanLog = log, cleanStatus = w.status, cleanDelta = w.delta;
        // The clean-up call does its work whatever it returns, so the failure
        // that counts is the first other call from the fault on.
        for (std::size_t j = i - 1; i != 0 && !w.positive && j < log.size() && !w.failed; ++j) {
            w.failed = log[j].fn != Fn::csys_cleanupExecute_;
            w.call = log[j];
            if (w.once) break;
        }
        Check c;
        c(i != 0 || (w.status >= 0 && !log.empty()), "the clean run failed, or made no call");
        const cstd_status expected = w.failed || (w.positive && i == last) ? code : cleanStatus;
        c(w.status == expected, "returned " + std::to_string(w.status) + ", not " + std::to_string(expected));
        const bool same = std::equal(log.begin(), log.end(), cleanLog.begin(), cleanLog.end(),
                                     [](const probe::Call &a, const probe::Call &b) { return a.fn == b.fn; });
        c(w.failed || (same && w.delta == cleanDelta), "the calls or live counts differ from the clean run's");
        c(!sc->keeps || w.delta == Counts{}, "the live counts changed");
        c(strays == 0, "a list was used while not built");
        sc->check(w, c);
        probe::releaseLive(w.reached());
        const std::string where =
            sc->name + (i == 0 ? ", clean"
                               : ", call " + std::to_string(i) + " (" + probe::name(log[i - 1].fn) + "), " +
                                     (w.positive ? "positive"
                                      : w.once   ? "once"
                                                 : "from then on"));
        if (!c.what.empty() && ++violations <= 20) std::fprintf(stderr, "%s: %s\n", where.c_str(), c.what.c_str());
        if (live() != zero && ++leaks <= 20)
            std::fprintf(stderr, "%s: resources left that nothing reaches\n", where.c_str());
    }

    void sweep(const Scenario &scenario)
    {
        sc = &scenario;
        run(0, 0);
        last = 0;
        for (unsigned j = 0; j < cleanLog.size(); ++j) last = cleanLog[j].fn == Fn::csys_cleanupExecute_ ? last : j + 1;
        ++scenarios;
        sites += unsigned(cleanLog.size());
        for (unsigned i = 1; i <= cleanLog.size(); ++i)
            for (const int mode : {0, 1, 2}) ++injections, run(i, mode);
    }
};

} // namespace

int main()
{
    for (Payload f :
         {Payload{"cstd_tree32s", 0, nullptr, &cstd_tree32s_construct, &cstd_tree32s_new, &cstd_tree32s_constructCopy},
          Payload{"cstd_tree_cmath_xformLinear", 0, nullptr, &cstd_tree_cmath_xformLinear_construct,
                  &cstd_tree_cmath_xformLinear_new, &cstd_tree_cmath_xformLinear_constructCopy},
          Payload{"cstd_tree_tree", 0, nullptr, &cstd_tree_tree_construct, &cstd_tree_tree_new,
                  &cstd_tree_tree_constructCopy}}) {
        cstd_tree t; // a family's size and table, read off a node it builds
        f.build(&t);
        f.size = t.dataSize, f.table = t.vtable;
        gFamilies.push_back(f);
        cstd_tree_destruct(&t);
    }
    gTreeTable = gFamilies[2].table;
    Sweep sweep;
    for (const Scenario &sc : scenarios()) sweep.sweep(sc);
    std::printf("fault sweep: %u scenarios, %u call sites, %u injections, %u violations, %u leaks\n", sweep.scenarios,
                sweep.sites, sweep.injections, sweep.violations, sweep.leaks);
    return sweep.violations == 0 && sweep.leaks == 0 ? 0 : 1;
}
