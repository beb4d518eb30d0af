// The fault sweep: every call that zodovar9 makes into the system and math
// libraries, and every element-table slot it calls, made to fail in turn.
// A scenario builds a world, runs one operation on it and judges what it
// left. Run clean, through the core's entry and the int32 family's, it makes
// the scenario's calls and returns its status. Then call i (1..K) fails once,
// fails from then on, and returns a positive status, each site with a code of
// its own, so that a status passed back from the wrong call shows. Then what
// the world reaches, or a refused release left, is released, and the live
// counts must come back. A run that never ends fails the sweep.
//
// A call is a sign, then each argument that is a named address, or 0: heap
// nodes by letters, the records in place x and y, the caller's pointer p; a
// node's name stands for its record and list, its capital for its payload.
// Signs: ^ builds a list, ~ destroys it, # counts it, [ ] ask its begin
// (read-write, read-only), = begin and size, + appends, - erases, / clears,
// < assigns one; @ allocates a block, ! releases one (the pointer, the block),
// % copies bytes, $ runs the clean-up list; ( : ) the payload slots construct,
// assign, destruct; | the math library's identity.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <thread>
#include <tuple>

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#include "kit.hpp"

namespace {

using namespace kit;
using probe::Counts;
using probe::Fn;
using Setup = std::function<void(struct World &)>;

const cstd_vtable kNoConstruct = probe::table({false}), kZeroFill = probe::table({false, true, true, true, 0}),
                  kNoAssign = probe::table({true, true, false}), kNoDestruct = probe::table({true, true, true, false}),
                  kOther = probe::table({});
const Payload kNone{"none", 0, nullptr, "^x000 @0X $"}, kBuffer{"buffer", 8, nullptr, "^x000 @X $"},
    kRecValue{"recording value", 0, &kRec, "^x000 @0X (00 $"}, kNoCons{"no construct", 8, &kNoConstruct, "^x000 @X $"},
    kZero{"zero-fill", 8, &kZeroFill, "^x000 @X $"}, kZeroValue{"zero-fill value", 0, &kZeroFill, "^x000 @0X $"},
    kNoAsg{"no assign", 8, &kNoAssign, "^x000 @X (X0 $"}, kNoAsgValue{"no assign value", 0, &kNoAssign, ""},
    kNoDes{"no destruct", 8, &kNoDestruct, "^x000 @X (X0 $"}, kOtherRec{"other recording", 8, &kOther, ""},
    kInt = families()[0], kXform = families()[1], kTree = families()[2];

bool slotAssigns(const cstd_tree &n) { return n.vtable != nullptr && n.vtable->assign != nullptr; }
bool plainBytes(const cstd_tree &n) { return n.dataSize != 0 && !slotAssigns(n) && !treeData(n); }
bool consistent(const cstd_tree *n) // every node below n names its parent and stands where the list has it
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

// ---- call strings ----------------------------------------------------------------------

// Each named address: its name, and the block it lies in, whose release ends the name.
using Names = std::map<std::uint64_t, std::pair<char, const void *>>;
void name(Names &m, const cstd_tree *x, char c, const probe::Live &live)
{
    const std::pair<char, const void *> payload{char(c - 'a' + 'A'), x->data};
    m[word(x)] = m[word(&x->children)] = {c, x};
    m[word(&x->data)] = {payload.first, x};
    if (x->data != nullptr) m[word(x->data)] = payload;
    if (treeData(*x) && live.arrays.contains(&inner(x)->children))
        m[word(&inner(x)->children)] = m[word(&inner(x)->data)] = payload;
}
const std::string kSigns =
    " ^cstd_vector__constructWithVtable ~cstd_vector__destruct #cstd_vector__getSize32 "
    "[cstd_vector__getBeginEnd ]cstd_vector__getBeginEndConst =cstd_vector__getBeginSize32 "
    "+cstd_vector__pushBack -cstd_vector__eraseElement /cstd_vector__clear <cstd_vector__assign "
    "@csys_memory_alloc_internal !csys_memory_free_internal %csys_memory_copy $csys_cleanupExecute_ "
    "(slot construct :slot assign )slot destruct |cmath_xformLinear_initIdentity ";
// `before` names what the setup built, until the log releases it; `after`, what lives after the call.
std::string render(const std::vector<probe::Call> &log, Names before, const Names &after)
{
    std::string out;
    for (const probe::Call &call : log) {
        const std::size_t sign = kSigns.find(std::string(probe::name(call.fn)) + ' ');
        out +=
            (out.empty() ? "" : " ") + (sign != std::string::npos ? kSigns.substr(sign - 1, 1) : probe::name(call.fn));
        // An element erased is named by where it lies, which is the array's
        // own business (it may keep short lists in its record): not shown.
        const std::size_t shown = call.fn == Fn::cstd_vector__eraseElement ? 1 : call.args.size();
        for (const std::uint64_t a : std::span(call.args).first(shown)) {
            const auto b = before.find(a);
            const auto f = after.find(a);
            out += b != before.end() ? b->second.first : f != after.end() ? f->second.first : a == 0 ? '0' : '\0';
        }
        if (call.fn == Fn::csys_memory_free_internal)
            std::erase_if(before, [&](const auto &n) { return word(n.second.second) == call.args[1]; });
    }
    std::erase(out, '\0');
    return out;
}

// ---- the world -------------------------------------------------------------------------

using Shot = std::tuple<cstd_tree *, int32_t, void *, uint32_t, const cstd_vtable *, Nodes>;

struct World {
    cstd_tree t[2], before[2]{}; // x and y in place (x is acted on), and as the setup left them (or what p named)
    cstd_tree *p = nullptr;      // the caller's pointer
    Nodes n;                     // the setup's heap nodes
    cstd_tree *at[128]{};        // those with names, by name
    std::string named;
    unsigned char bytes[64];
    std::vector<Shot> shot;     // every node as the setup left it
    std::uint64_t out = kUnset; // what a query delivered
    // A deletion: the node given, its nodes in the order they go, nodes it
    // must not touch, nodes taken apart early, and each node's parent, block
    // and payload element as the setup left them.
    cstd_tree *top = nullptr;
    Nodes post, keep;
    std::set<cstd_tree *> loose;
    std::map<cstd_tree *, cstd_tree *> up;
    std::map<cstd_tree *, const void *> block, element;
    bool orphans = false; // the top's children are left as roots
    // The run: through the family's entries or not, its mode, the call whose
    // failure the operation must report (if one failed), where the fault was
    // and how many calls were made, what is live after it (and what of that the
    // setup built), and the live counts against before it and the setup.
    bool family = false, positive = false, once = true, failed = false;
    probe::Call call{};
    std::size_t site = 0, made = 0;
    cstd_status status = 0;
    probe::Live live, old;
    Counts delta{}, total{};

    World() { std::memset(static_cast<void *>(t), 0x5A, sizeof t); } // a construction must write every field
    cstd_tree *operator[](char c) const { return at[int(c)]; }
    bool holds(const void *a) const { return std::less_equal()(this, a) && std::less<const void *>()(a, this + 1); }
    bool listed(const cstd_tree *x) const { return old.arrays.contains(&x->children); }
    // Gone: a heap node's record released; a node in place, taken apart. Intact:
    // listed, with the block and element the setup gave it; a husk: none of them.
    bool gone(const cstd_tree *x) const { return holds(x) ? !listed(x) : !old.blocks.contains(x); }
    int owns(cstd_tree *x) const { return int(block.contains(x)) + int(element.contains(x)); }
    int held(cstd_tree *x) const
    {
        return (block.contains(x) && old.blocks.contains(block.at(x))) +
               (element.contains(x) && old.elements.contains(element.at(x)));
    }
    bool intact(cstd_tree *x) const { return listed(x) && held(x) == owns(x); }
    bool husk(cstd_tree *x) const { return !listed(x) && held(x) == 0; }
    // Heap nodes of kind `k` below `root`, drawn as in "a(b c(d)) e"; "." has no name.
    void grow(const std::string &drawing, cstd_tree *root = nullptr, const Payload &k = kRecording)
    {
        Nodes above{root};
        for (const char c : drawing) {
            if (c == '(' || c == ')') {
                c == '(' ? above.push_back(n.back()) : above.pop_back();
            } else if (c != ' ') {
                k.renew(&n.emplace_back());
                if (c != '.') at[int(c)] = n.back(), named += c;
                if (above.back() != nullptr) cstd_tree_addChild(above.back(), n.back());
            }
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
    std::vector<Shot> state() const // every live node's fields and list
    {
        const probe::Live now = probe::liveNow();
        std::vector<Shot> all;
        for (const cstd_tree *x : nodes())
            if (holds(x) || now.blocks.contains(x))
                all.emplace_back(x->parent, x->indexInParent, x->data, x->dataSize, x->vtable,
                                 now.arrays.contains(&x->children) ? listOf(x) : Nodes{});
        return all;
    }
    std::vector<const cstd_tree *> nodes() const
    {
        std::vector<const cstd_tree *> all{&t[0], &t[1], p};
        all.insert(all.end(), n.begin(), n.end());
        return all;
    }
    // The named nodes that the setup built and that live, and what the caller's pointer names.
    Names names(const probe::Live &now, const probe::Live &built) const
    {
        Names m{{word(&p), {'p', nullptr}}};
        for (const char c : named)
            if (built.blocks.contains(at[int(c)])) name(m, at[int(c)], c, now);
        name(m, &t[0], 'x', now), name(m, &t[1], 'y', now);
        if (now.blocks.contains(p) && (!built.blocks.contains(p) || std::find(at, at + 128, p) == at + 128))
            name(m, p, 'p', now);
        return m;
    }
};

// An entry the families share: the int32 family's name of it or the core's.
#define E(op) (w.family ? &cstd_tree32s_##op : &cstd_tree_##op)

// ---- checks ----------------------------------------------------------------------------

struct Check {
    std::string what;
    void operator()(bool ok, const std::string &text) { what += ok ? "" : (what.empty() ? "" : "; ") + text; }
};
using Checker = std::function<void(World &, Check &)>;
struct Scenario {
    std::string name;
    Setup setup;
    std::function<cstd_status(World &)> act;
    Checker check;
    const char *calls = nullptr; // the clean run's; none: not compared
    cstd_status status = 0;      // the clean run's
    bool keeps = false;          // the operation neither acquires nor releases
    bool passes = true;          // a positive status from its last call is its own
};

void unchanged(World &w, Check &c) { c(w.state() == w.shot, "a node changed"); }

// After a deletion, failed or not: the nodes gone are the first in its order
// and left nothing behind. On the way down from the top to the first node
// left, the nodes already detached are roots and the rest are in place; the
// last one detached may still be listed (its removal failed) or be half taken
// apart. Every other node left is whole and where it was (a failed renumbering
// leaves positions one too high), and no link or list names a released record.
// While the top stands, the caller's pointer names it; once it is gone, none.
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
    c(w.holds(w.top) || (w.gone(w.top) ? w.p == nullptr : w.p == w.top), "the caller's pointer is wrong");
}

bool asked(const cstd_tree *t, const Payload &k)
{
    return t != nullptr && isRoot(t) && listOf(t).empty() && t->dataSize == k.size && t->vtable == k.table;
}
// A built node is the one asked for, its bytes fresh or zeroed, a payload
// node an empty root; a failed build leaves nothing: no list, block or element.
Checker builtInPlace(const Payload &k)
{
    return [k](World &w, Check &c) {
        const cstd_tree &t = w.t[0];
        const auto *bytes = static_cast<const unsigned char *>(t.data);
        const unsigned char fresh = k.table != nullptr && k.table->tag >= 0 ? 0 : probe::kFreshByte;
        const bool listBuilt = w.call.fn != Fn::cstd_vector__constructWithVtable;
        c(isRoot(&t) && (w.failed || (asked(&t, k) && (!treeData(t) || asked(inner(&t), kNone)))),
          "not the node asked for");
        c(w.failed || t.dataSize == 0 || treeData(t) || (k.table != nullptr && k.table->construct != nullptr) ||
              std::all_of(bytes, bytes + t.dataSize, [&](unsigned char b) { return b == fresh; }),
          "the payload's bytes are neither fresh nor zeroed");
        c(!w.failed || !listBuilt || (t.dataSize == k.size && t.vtable == k.table), "dataSize or vtable not as given");
        c(!w.failed || !w.once || ((!listBuilt || t.data == nullptr) && w.delta == Counts{}),
          "a failed build left some");
    };
}
// A failed new leaves the old node as its deletion's failure leaves it, or nothing at all.
Checker madeOnHeap(const Payload &k)
{
    return [k](World &w, Check &c) {
        cstd_tree *const made = w.p; // the old node's deletion leaves none in p, for the new node to fill
        if (w.top != nullptr) w.p = w.gone(w.top) ? nullptr : w.p, deletion(w, c), w.p = made;
        if (w.top == nullptr || w.gone(w.top))
            c(w.failed ? w.p == nullptr && (!w.once || w.total == Counts{}) : asked(w.p, k), "not the node asked for");
    };
}
// A query delivers its answer (a node, by its capital its payload, a number, or
// "-": nothing written), or on a failure stops there and writes nothing (the
// search test: "no"); it changes no node.
Checker answered(const std::string &want, bool zeroes)
{
    return [want, zeroes](World &w, Check &c) {
        const char v = want[0];
        const std::uint64_t value = want == "-"  ? kUnset
                                    : islower(v) ? word(w[v])
                                    : isupper(v) ? word(w[char(v - 'A' + 'a')]->data)
                                                 : word(std::atoll(want.c_str()));
        c(w.out == (!w.failed ? value : zeroes ? 0 : kUnset), "delivered " + std::to_string(w.out));
        c(!w.failed || w.made == w.site, "a call followed the failed one");
        unchanged(w, c);
    };
}

// Heap nodes drawn as for `grow`, the first in `p`, set for its deletion.
Setup heap(const std::string &drawing, const Payload &k = kRecording)
{
    return [drawing, k](World &w) {
        w.grow(drawing, nullptr, k);
        w.p = w.n[0];
        w.settle(w.p, postOrder(w.p));
    };
}
// A tree-of-trees node in `p` whose payload node holds two heap nodes.
void treeOfTrees(World &w)
{
    kTree.renew(&w.p);
    w.grow("a b", inner(w.p));
    w.settle(w.p, {w['a'], w['b'], inner(w.p), w.p});
    w.loose = {w.p}; // its list goes before its payload node's subtree
}

// ---- scenarios -------------------------------------------------------------------------

std::vector<Scenario> scenarios()
{
    std::vector<Scenario> s;
    const auto add = [&s](std::string name, Setup setup, std::function<cstd_status(World &)> act, Checker check,
                          const char *calls = nullptr, cstd_status status = 0, bool keeps = false) {
        s.push_back({std::move(name), std::move(setup), std::move(act), std::move(check), calls, status, keeps});
    };
    // Query `q` of node `at` in `world`: its calls, status and answer.
    const auto ask = [&s](const Setup &world, int q, char at, const char *calls, cstd_status status,
                          const std::string &answer, int32_t type = cstd_tree_searchDepthFirst) {
        const Query &query = kQueries[q];
        s.push_back(
            {std::string(query.name) + " of " + at + ", type " + std::to_string(type), world,
             [&query, at, type](World &w) { return (w.family ? query.family : query.core)(w[at], type, &w.out); },
             answered(answer, query.zeroes), calls, status, true, !query.zeroes || answer != "0"});
    };
    const auto nothing = [](World &) {};

    // Construction in place, and on the heap over none, a childless node, a subtree or a tree of trees.
    for (const Payload &k :
         {kPlain, kNone, kBuffer, kRecording, kRecValue, kNoCons, kZero, kZeroValue, kInt, kXform, kTree})
        add(
            "construct " + k.name, nothing, [k](World &w) { return k.build(&w.t[0]); }, builtInPlace(k), k.built);
    const std::tuple<const char *, Setup, Payload, const char *> news[] = {
        {"none", nothing, kPlain, "@ ^p000"},
        {"none", nothing, kRecording, "@ ^p000 @P (P0 $"},
        {"none", nothing, kInt, "@ ^p000 @P $"},
        {"none", nothing, kXform, "@ ^p000 @P |P $"},
        {"none", nothing, kTree, "@ ^p000 @P ^P000 $"},
        {"a childless node", heap("a", kBuffer), kPlain, "#a ~a !AA !pa @ ^p000"},
        {"a subtree", heap("a(b(c d) e f(g(h)))"), kRecording, nullptr},
        {"a tree of trees", treeOfTrees, kInt, nullptr}};
    for (const auto &[over, setup, k, calls] : news)
        add(
            std::string("new over ") + over + ", " + k.name, setup, [k](World &w) { return k.renew(&w.p); },
            madeOnHeap(k), calls);

    // Attachment to a parent with children b, c, d; wrong links are refused
    // before any call: a child of this parent or of another, a root, another's child.
    const Setup abc = heap("a(b c d) e(f) g");
    add(
        "addChild after three", abc, [](World &w) { return E(addChild)(w['a'], w['g']); },
        [](World &w, Check &c) {
            c(w['g']->parent == w['a'] && listOf(w['a']).size() == 4u - w.failed && consistent(w['a']),
              "the child does not name the parent, or the list is wrong");
            c(!w.failed || w['g']->indexInParent == (w.call.fn == Fn::cstd_vector__pushBack ? 3 : -1),
              "the position is wrong");
        },
        "#a +a");
    // Detachment of each child, and of g, which names a at -1 as an attach
    // whose count failed leaves it: a list that does not hold it.
    const Setup linked = [abc](World &w) { abc(w), w['g']->parent = w['a']; };
    for (const char child : {'b', 'c', 'd', 'g'})
        add(
            std::string("removeChild ") + child, linked, [child](World &w) { return E(removeChild)(w['a'], w[child]); },
            [child](World &w, Check &c) { // a failed renumbering leaves the old positions
                const Nodes all{w['b'], w['c'], w['d']};
                Nodes left = all;
                if (!w.failed || w.call.fn == Fn::cstd_vector__getBeginSize32) std::erase(left, w[child]);
                c(isRoot(w[child]) && listOf(w['a']) == left, "the child is not detached, or the list is wrong");
                for (std::size_t k = 0; k < left.size(); ++k)
                    c(left[k] == w[child] ||
                          left[k]->indexInParent ==
                              (w.failed ? std::find(all.begin(), all.end(), left[k]) - all.begin() : long(k)),
                      "the positions are wrong");
            },
            child == 'g' ? "#a [a0 =a" : "#a [a0 -a =a");
    for (const char *link : {"ac", "ec", "ea", "af"})
        add(
            std::string("wrong link ") + link, abc,
            [link](World &w) { return (link[1] == 'c' ? E(addChild) : E(removeChild))(w[link[0]], w[link[1]]); },
            unchanged, "", cstd_tree_errWrongParent, true);

    // Payload writes and assignment onto x from y, each with a child and a
    // filled payload (or a payload node with a child), y the second child of d.
    const auto fill = [](World &w, cstd_tree *t, unsigned char with) {
        if (treeData(*t)) w.grow(".", inner(t));
        if (plainBytes(*t)) std::memset(t->data, with, t->dataSize);
    };
    const auto pair = [fill](const Payload &to, const Payload &from) -> Setup {
        return [to, from, fill](World &w) {
            to.build(&w.t[0]);
            from.build(&w.t[1]);
            for (int j : {0, 1}) w.grow(".", &w.t[j]), fill(w, &w.t[j], std::uint8_t(0x11 * (j + 1)));
            if (w.t[1].dataSize == 0 && !slotAssigns(w.t[1])) cstd_tree_setData(&w.t[1], w.bytes);
            w.grow("d(.)");
            cstd_tree_addChild(w['d'], &w.t[1]);
            std::copy(w.t, w.t + 2, w.before);
        };
    };
    const std::tuple<Payload, Payload, const char *, const char *, cstd_status> payloads[] = {
        // To, from, the calls of setData and of assign, and their status.
        {kNone, kNone, "", "<xy", 0},
        {kBuffer, kBuffer, "%YX", "<xy %YX", 0},
        {kRecording, kRecording, ":XY", "<xy :XY", 0},
        {kRecValue, kRecValue, ":00", "<xy :00", 0},
        {kNoAsg, kNoAsg, "%YX", "<xy %YX", 0},
        {kBuffer, kNoAsg, nullptr, "<xy %YX", 0},    // plain bytes from a table's
        {kNoAsgValue, kRecValue, nullptr, "<xy", 0}, // a value, where no slot assigns, from a table's
        {kInt, kInt, "%YX", nullptr, 0},
        {kXform, kXform, "%YX", "<xy %YX", 0},
        {kTree, kTree, "<XY", "<xy <XY", 0},
        {kTree, kInt, "", nullptr, cstd_tree_errPayloadMismatch}, // a payload node takes only a plain node
        {kBuffer, kNone, nullptr, "", cstd_tree_errPayloadMismatch},
        {kNone, kBuffer, nullptr, "", cstd_tree_errPayloadMismatch},
        {kBuffer, kXform, nullptr, "", cstd_tree_errPayloadMismatch},        // a larger block
        {kRecording, kOtherRec, nullptr, "", cstd_tree_errPayloadMismatch}}; // another table's element
    for (const auto &[to, from, set, assign, status] : payloads) {
        const std::string what = to.name + " from " + from.name;
        if (set != nullptr)
            add(
                "setData " + what, pair(to, from),
                [](World &w) { // a payload node takes a node: y's payload node, or y itself
                    return E(setData)(&w.t[0], treeData(w.t[1]) || !treeData(w.t[0]) ? w.t[1].data : &w.t[1]);
                },
                [](World &w, Check &c) {
                    if (w.status < 0 && !w.failed) return unchanged(w, c);
                    cstd_tree b = w.before[0];
                    b.data = b.dataSize == 0 && !slotAssigns(b) ? w.t[1].data : b.data; // a value is stored
                    c(std::memcmp(&w.t[0], &b, sizeof b) == 0, "setData wrote a field of the node");
                    c(samePayload(w.t[0], w.t[1]) != (w.failed && (plainBytes(b) || treeData(b))),
                      "the payload is wrong");
                },
                set, status, true);
        if (assign != nullptr)
            add(
                "assign " + what, pair(to, from), [](World &w) { return E(assign)(&w.t[0], &w.t[1]); },
                [](World &w, Check &c) {
                    if (w.status < 0 && !w.failed) return unchanged(w, c);
                    const cstd_tree &t = w.t[0], &src = w.t[1], &b = w.before[0];
                    const bool listFailed = w.failed && w.call.args[0] == word(&t.children);
                    c(std::memcmp(&src, &w.before[1], sizeof src) == 0, "the source changed");
                    c(t.parent == src.parent && t.indexInParent == src.indexInParent && w.n[0]->parent == &t,
                      "the source's place not taken, or a former child left");
                    c((listOf(&t) == listOf(&src)) != listFailed, "the list is not as the failed step left it");
                    c(t.dataSize == (listFailed ? b.dataSize : src.dataSize) &&
                          t.vtable == (w.failed ? b.vtable : src.vtable) &&
                          t.data == (src.dataSize == 0 && !slotAssigns(b) && !w.failed ? src.data : b.data),
                      "dataSize, vtable or data is wrong");
                    c(samePayload(t, src) != (w.failed && (plainBytes(b) || treeData(t))), "the payload is wrong");
                },
                assign, status, true);
    }
    add(
        "assign onto itself", pair(kRecording, kRecording), [](World &w) { return E(assign)(&w.t[0], &w.t[0]); },
        unchanged, "", 0, true);

    // Copies of a source with two children: a failed one keeps a list only
    // when it names the source's children, and a table without a `destruct`
    // slot leaves its element to the caller.
    const std::pair<Payload, const char *> copies[] = {{kNone, "^x000 <xp $"},
                                                       {kBuffer, "^x000 @X <xp %PX $"},
                                                       {kRecording, "^x000 @X (X0 <xp :XP $"},
                                                       {kRecValue, "^x000 <xp $"},
                                                       {kNoCons, "^x000 @X <xp :XP $"},
                                                       {kZero, "^x000 @X <xp :XP $"},
                                                       {kNoDes, "^x000 @X (X0 <xp :XP $"},
                                                       {kInt, "^x000 @X <xp %PX $"},
                                                       {kXform, "^x000 @X |X <xp %PX $"},
                                                       {kTree, "^x000 @X ^X000 <xp <XP $"}};
    for (const auto &[k, calls] : copies)
        add(
            "constructCopy " + k.name,
            [k, fill](World &w) {
                k.renew(&w.p);
                fill(w, w.p, 0x33);
                w.grow(". .", w.p);
                w.before[1] = *w.p;
            },
            [](World &w) { return E(constructCopy)(&w.t[0], w.p); },
            [](World &w, Check &c) {
                const cstd_tree &src = *w.p, &t = w.t[0];
                const bool kept = w.live.arrays.contains(&t.children), leaves = src.vtable && !src.vtable->destruct;
                c(std::memcmp(&src, &w.before[1], sizeof src) == 0 && consistent(&src), "the source changed");
                c(isRoot(&t), "the copy's links are not a root's");
                c(w.failed || (listOf(&t) == listOf(&src) && samePayload(t, src) && t.dataSize == src.dataSize &&
                               t.vtable == src.vtable && (src.dataSize == 0) == (t.data == src.data)),
                  "not a copy with a payload of its own");
                c(!w.failed || !w.once ||
                      ((!kept || listOf(&t) == listOf(&src)) && w.delta[0] == 0 && w.delta[1] == kept &&
                       (leaves || w.delta[2] == 0)),
                  "a failed copy left something");
            },
            calls);

    // Deletions over subtrees of three levels and several widths, through the
    // caller's pointer and in place (x, maybe between two siblings), and of none.
    const Setup old = heap("a(b(c d) e f(g(h)))");
    const auto orphaning = [old](World &w) {
        old(w);
        w.orphans = true;
        w.settle(w.p, {w.p}, Nodes(w.post.begin(), w.post.end() - 1));
    };
    const char *const two = "#a #a [a0 #a [a0 -a =a #b /b #b ~b )B !BB !b /a #a ~a )A !AA !pa";
#define DELETION(op) #op, [](World & w) { return E(op)(&w.p); }
    const std::tuple<const char *, cstd_status (*)(World &), const char *, Setup, const char *> deletes[] = {
        {DELETION(delete), "", old, nullptr},
        {DELETION(deleteThisAndAllDescendants), "", old, nullptr},
        {DELETION(deleteThisButNotDescendants), "", orphaning, nullptr},
        {DELETION(delete), " of a tree of trees", treeOfTrees, nullptr},
        {DELETION(deleteThisAndAllDescendants), " of a pair", heap("a(b)"), two},
        {DELETION(delete), " of none", nothing, ""},
        {DELETION(deleteThisAndAllDescendants), " of none", nothing, ""},
        {DELETION(deleteThisButNotDescendants), " of none", nothing, ""}};
    for (const auto &[name, act, what, setup, calls] : deletes)
        add(name + std::string(what), setup, act, deletion, calls);
    for (const auto &[k, below, calls] : {std::tuple{kRecording, "a(b c) d e(f(g h))", (const char *)nullptr},
                                          {kBuffer, "", "#x ~x !XX"},
                                          {kRecValue, "", "#x ~x )0"},
                                          {kNoDes, "", "#x ~x !XX"}})
        add(
            "destruct of " + k.name + " over " + below,
            [k, below](World &w) {
                k.build(&w.t[0]);
                w.grow(below, &w.t[0]);
                w.settle(&w.t[0], postOrder(&w.t[0]));
            },
            [](World &w) { return E(destruct)(&w.t[0]); }, deletion, calls);
    // The node deleted alone lists its child c and a's child b, as a copy's
    // list would: only c becomes a root. A copy of b names b's parent, which it
    // outlives; a copy of a lists b, which it cannot detach: its destruction stops there.
    add(
        "deleteThisButNotDescendants of a copy's list",
        [](World &w) {
            w.grow("a(b) d(c)");
            cstd_vector__pushBack(&w['d']->children, &w.at[int('b')]);
            w.p = w['d'];
        },
        [](World &w) { return E(deleteThisButNotDescendants)(&w.p); },
        [](World &w, Check &c) {
            c(w['b']->parent == w['a'] && listOf(w['a']) == Nodes{w['b']}, "another's child moved");
            c(w.site == 1 || isRoot(w['c']), "the child is not a root");
        },
        "=d /d #d ~d )D !DD !pd");
    add(
        "destruct of a copy whose source's parent is gone",
        [](World &w) {
            w.grow("a(b)");
            cstd_tree_constructCopy(&w.t[0], w['b']);
            cstd_tree_deleteThisAndAllDescendants(&w.at[int('a')]);
        },
        [](World &w) { return E(destruct)(&w.t[0]); },
        [](World &w, Check &c) { c(w.failed || (isRoot(&w.t[0]) && w.t[0].vtable == nullptr), "not taken apart"); },
        "#x ~x )X !XX");
    // d, assigned over by s, names q while p lists it: the deletion stops
    // there. With e behind it, the walk asks d for its next sibling first,
    // which d, q's only child by its own link, does not have.
    for (const auto &[shape, status] : {std::pair{"r(p(a(b) d)) q(s)", cstd_tree_errWrongParent},
                                        std::pair{"r(p(a(b) d e)) q(s)", cstd_tree_errNoNextSibling}})
        add(
            std::string("deleteThisAndAllDescendants over a node assigned over, in ") + shape,
            [shape](World &w) {
                w.grow(shape);
                cstd_tree_assign(w['d'], w['s']);
                w.p = w['r'];
            },
            [](World &w) { return E(deleteThisAndAllDescendants)(&w.p); },
            [](World &w, Check &c) {
                c(!w.gone(w['d']) && w['d']->parent == w['q'], "the node assigned over was deleted");
                c(!w.gone(w['s']) && listOf(w['q']) == Nodes{w['s']} && w['s']->indexInParent == 0, "q's tree changed");
            },
            nullptr, status);
    // Positions one too high, as a removal of b whose renumbering failed
    // leaves them: c's next sibling by its position is e, not d. c goes, the
    // list is renumbered, and e, now last, has no next sibling to ask for.
    add(
        "deleteThisAndAllDescendants over positions a failed removal left",
        [](World &w) {
            w.grow("p(b c d e)");
            cstd_tree_removeChild(w['p'], w['b']);
            for (const char k : {'c', 'd', 'e'}) ++w[k]->indexInParent;
            w.p = w['p'];
        },
        [](World &w) { return E(deleteThisAndAllDescendants)(&w.p); },
        [](World &w, Check &c) {
            c(w.failed ||
                  (w.gone(w['c']) && w.p == w['p'] && listOf(w['p']) == Nodes{w['d'], w['e']} && consistent(w['p'])),
              "not c alone deleted, or the list not renumbered");
        },
        nullptr, cstd_tree_errNoNextSibling);
    add(
        "destruct of a copy with its source's child",
        [](World &w) {
            w.grow("a(b)");
            kRecording.build(&w.t[0]);
            cstd_tree_assign(&w.t[0], w['a']);
        },
        [](World &w) { return E(destruct)(&w.t[0]); }, unchanged, "#x #x [x0", cstd_tree_errWrongParent, true);

    // Queries over a(b(c d(e)) f g(h)) and a root i; the search goes to the
    // pre-order successor. Other search types deliver nothing and ask nothing.
    const Setup tree = heap("a(b(c d(e)) f g(h)) i");
    const std::tuple<int, char, const char *, cstd_status, const char *> questions[] = {
        {kHasNext, 'i', "", 0, "0"},
        {kParent, 'i', "", cstd_tree_errNoParent, "-"},
        {kPrev, 'i', "", cstd_tree_errNoParent, "-"},
        {kNext, 'i', "", cstd_tree_errNoParent, "-"},
        {kDepth, 'i', "", 0, "0"},
        {kFirst, 'i', "#i", cstd_tree_errNoChild, "-"},
        {kHasParent, 'i', "", 0, "0"},
        {kHasParent, 'f', "", 0, "1"},
        {kCount, 'a', "#a", 0, "3"},
        {kFirst, 'a', "#a [a0", 0, "b"},
        {kFirstRO, 'a', "#a ]a0", 0, "b"},
        {kHasPrev, 'b', "", 0, "0"},
        {kHasPrev, 'i', "", 0, "0"},
        {kHasPrev, 'f', "", 0, "1"},
        {kParent, 'f', "", 0, "a"},
        {kPrev, 'f', "]a", 0, "b"},
        {kHasNext, 'f', "#a", 0, "1"},
        {kNext, 'f', "#a ]a0", 0, "g"},
        {kNext, 'g', "#a", cstd_tree_errNoNextSibling, "-"},
        {kHasNext, 'h', "#g", 0, "0"},
        {kPrev, 'h', "", cstd_tree_errNoPrevSibling, "-"},
        {kDepth, 'e', "", 0, "3"},
        {kData, 'b', "", 0, "B"}};
    for (const auto &[query, at, calls, status, answer] : questions) ask(tree, query, at, calls, status, answer);
    for (const auto &[type, at] : {std::pair{0, 'a'}, {2, 'h'}})
        ask(tree, kStep, at, "", 0, "-", type), ask(tree, kTest, at, "", 0, "0", type);
    const std::tuple<char, const char *, const char *, const char *> walk[] = {
        {'a', "b", "#a #a [a0", "#a"},
        {'b', "c", "#b #b [b0", "#b"},
        {'c', "d", "#c #b #b ]b0", "#c #b"},
        {'d', "e", "#d #d [d0", "#d"},
        {'e', "f", "#e #d #b #a #a ]a0", "#e #d #b #a"},
        {'f', "g", "#f #a #a ]a0", "#f #a"},
        {'g', "h", "#g #g [g0", "#g"},
        {'h', "-", "#h #g #a", "#h #g #a"}};
    for (const auto &[from, to, step, test] : walk) {
        for (const int q : {kStep, kStepRO}) ask(tree, q, from, step, *to == '-' ? cstd_tree_errSearchEnd : 0, to);
        ask(tree, kTest, from, test, 0, *to == '-' ? "0" : "1");
    }
    // Positions the list cannot hold find no sibling and read nothing: c past
    // the end, and i linked to a at -1, as an attach whose count failed leaves it.
    const Setup outside = [tree](World &w) {
        tree(w);
        w['c']->indexInParent = 3;
        w['i']->parent = w['a'];
    };
    ask(outside, kNext, 'c', "#b", cstd_tree_errNoNextSibling, "-");
    ask(outside, kPrev, 'c', "]b", cstd_tree_errNoPrevSibling, "-");
#if !defined(ZODOVAR9_CHECKED) // which refuses such a node at once
    ask(outside, kNext, 'i', "#a", cstd_tree_errNoNextSibling, "-");
    ask(outside, kPrev, 'i', "", cstd_tree_errNoPrevSibling, "-");
#endif
    // Parent links closed into a loop: a chain from a, z below its last node,
    // and a linked below that node, listed there or not. Every climb stops by
    // itself: short loops meet the climb's mark while its span is small, a
    // long one only once the span outgrows it.
    for (const int length : {1, 2, 3, 40})
        for (const bool listed : {false, true}) {
            const Setup loop = [length, listed](World &w) {
                std::string drawing = "a";
                for (int k = 1; k < length; ++k) drawing += "(.";
                w.grow(drawing + "(z" + std::string(std::size_t(length), ')'));
                cstd_tree *last = w.n[w.n.size() - 2];
                w['a']->parent = last;
                w['a']->indexInParent = int32_t(listOf(last).size());
                if (listed) cstd_vector__pushBack(&last->children, &w.at[int('a')]);
            };
            ask(loop, kDepth, 'z', "", cstd_tree_errParentCycle, "-1");
            ask(loop, kStep, 'z', nullptr, listed ? 0 : cstd_tree_errParentCycle, listed ? "a" : "-");
            if (!listed) ask(loop, kTest, 'z', nullptr, cstd_tree_errParentCycle, "0");
        }
    return s;
}

// ---- the sweep -------------------------------------------------------------------------

std::atomic<unsigned> gRuns{0};

struct Sweep {
    unsigned scenarios = 0, sites = 0, injections = 0, violations = 0, leaks = 0;
    const Scenario *sc = nullptr;
    std::vector<probe::Call> cleanLog;
    std::string cleanCalls;
    Counts cleanDelta{};
    unsigned last = 0; // the last call whose status the operation may pass on

    void report(const std::string &where, const std::string &what)
    {
        if (!what.empty() && ++violations <= 20) std::fprintf(stderr, "%s: %s\n", where.c_str(), what.c_str());
    }

    // Sets the world up, runs the action under a fault at call `i` (0: the
    // clean run) in `mode` (0 once, 1 from then on, 2 positive), judges, and
    // releases what the world reaches; the live counts must then come back.
    void run(unsigned i, int mode, bool family = false)
    {
        ++gRuns;
        const auto world = std::make_unique<World>();
        World &w = *world;
        w.family = family, w.positive = mode == 2, w.once = mode != 1, w.site = i;
        const cstd_status code = w.positive ? cstd_status(0x2000 + i) : -cstd_status(0x1000 + i);
        const Counts zero = probe::counts();
        probe::reset();
        sc->setup(w);
        w.shot = w.state();
        const Names before = w.names(probe::liveNow(), probe::liveNow());
        std::size_t strays = probe::strayArrayCalls();
        const Counts ready = probe::counts();
        probe::reset();
        if (i != 0) probe::inject({Fn::any, i, code, w.once ? probe::Mode::once : probe::Mode::fromThenOn});
        w.status = sc->act(w);
        const std::vector<probe::Call> log = probe::calls();
        strays += probe::strayArrayCalls();
        w.live = probe::liveNow(), w.old = probe::liveNow(true), w.made = log.size();
        probe::reset(); // no fault reaches the checks or the release
        for (std::size_t k = 0; k < 3; ++k)
            w.delta[k] = probe::counts()[k] - ready[k], w.total[k] = probe::counts()[k] - zero[k];
        if (i == 0 && !family) cleanLog = log, cleanDelta = w.delta;
        // The clean-up call does its work whatever it returns, so the failure
        // that counts is the first other call from the fault on.
        for (std::size_t j = i - 1; i != 0 && !w.positive && j < log.size() && !w.failed; ++j) {
            w.failed = log[j].fn != Fn::csys_cleanupExecute_;
            w.call = log[j];
            if (w.once) break;
        }
        Check c;
        const std::string calls = i == 0 ? render(log, before, w.names(w.live, w.old)) : "";
        cleanCalls = i == 0 && !family ? calls : cleanCalls;
        c(i != 0 || calls == (family || sc->calls == nullptr ? cleanCalls : sc->calls), "made " + calls);
        const cstd_status want =
            w.failed || (w.positive && i == last && sc->passes && sc->status >= 0) ? code : sc->status;
        c(w.status == want, "returned " + std::to_string(w.status) + ", not " + std::to_string(want));
        const bool same = std::equal(log.begin(), log.end(), cleanLog.begin(), cleanLog.end(),
                                     [](const probe::Call &a, const probe::Call &b) { return a.fn == b.fn; });
        c(w.failed || (same && w.delta == cleanDelta), "the calls or live counts differ from the clean run's");
        c(!sc->keeps || w.delta == Counts{}, "the live counts changed");
        c(strays == 0, "a list was used while not built");
        sc->check(w, c);
        const std::vector<const cstd_tree *> all = w.nodes(); // what the caller can reach
        std::vector<const cstd_tree *> reach(all.begin(), all.begin() + 2);
        std::copy_if(all.begin() + 2, all.end(), std::back_inserter(reach),
                     [&](auto *x) { return x == w.p ? w.live.blocks.contains(x) : w.old.blocks.contains(x); });
        probe::release(reach, w.live);
        const char *const modes[] = {"once", "from then on", "positive"};
        const std::string where = "#" + std::to_string(scenarios) + " " + sc->name + (family ? ", family" : "") +
                                  (i == 0 ? ", clean" : ", call " + std::to_string(i) + " " + modes[mode]);
        report(where, c.what);
        if (probe::counts() != zero && ++leaks <= 20)
            std::fprintf(stderr, "%s: resources left that nothing reaches\n", where.c_str());
    }

    void sweep(const Scenario &scenario)
    {
        sc = &scenario;
        run(0, 0);
        run(0, 0, true);
        last = 0;
        for (unsigned j = 0; j < cleanLog.size(); ++j) last = cleanLog[j].fn == Fn::csys_cleanupExecute_ ? last : j + 1;
        ++scenarios;
        sites += unsigned(cleanLog.size());
        for (unsigned i = 1; i <= cleanLog.size(); ++i)
            for (const int mode : {0, 1, 2}) ++injections, run(i, mode);
    }
};

// ---- the tree-pointer vector -----------------------------------------------------------

// Each entry makes one generic call with these words: arrays a and o, and r
// not yet built, the memory table M, an element e, out-parameters 1 2
// (pointers), 3 (32-bit) and 6 (64-bit), values n and m whose halves differ,
// a count c, the element size s, and 0. The pointers name nothing: the
// status injected stands in for the call, and comes back as it is.
struct Args {
    cstd_vector *a, *o, *r;
    const cstd_mtable *M;
    void *e, **p1, **p2;
    uint32_t *p3;
    uint64_t *p6, n, m;
    uint32_t c;
};
template <class T>
T *fake(char k)
{
    return reinterpret_cast<T *>(std::uintptr_t(k) << 4);
}
const Args kArgs{fake<cstd_vector>('a'), fake<cstd_vector>('o'), fake<cstd_vector>('r'), fake<const cstd_mtable>('M'),
                 fake<void>('e'),        fake<void *>('1'),      fake<void *>('2'),      fake<uint32_t>('3'),
                 fake<uint64_t>('6'),    0x0000'0007'0000'0003,  0x0000'0005'0000'0009,  0x33};
const void **ro(void **p) { return const_cast<const void **>(p); }
#define V(entry, generic, words, ...)                                                                                  \
    {                                                                                                                  \
#entry, Fn::cstd_vector__##generic, words,                                                                     \
            [](const Args &g) { return cstd_vector_cstd_treePtr_##entry(__VA_ARGS__); }                                \
    }
const std::tuple<const char *, Fn, const char *, cstd_status (*)(const Args &)> kVector[] = {
    V(construct, constructWithVtable, "rns00", g.r, g.n),
    V(constructWithMtable, constructWithVtableWithMtable, "rns00M", g.r, g.n, g.M),
    V(constructEmpty, constructWithVtable, "r0s00", g.r),
    V(constructEmptyWithMtable, constructWithVtableWithMtable, "r0s00M", g.r, g.M),
    V(constructUninit, constructWithVtableUninit, "rns00", g.r, g.n),
    V(constructFill, constructFillWithVtable, "rns0e0", g.r, g.n, g.e),
    V(constructFromBlock, constructFromBlockWithVtable, "rs0ec0", g.r, g.e, g.c),
    V(constructCopy, constructCopy, "ro", g.r, g.o),
    V(assign, assign, "ao", g.a, g.o),
    V(assignElements, assignElements, "aen", g.a, g.e, g.n),
    V(destruct, destruct, "a", g.a),
    V(resize, resize, "an", g.a, g.n),
    V(resizeUninit, resizeUninit, "an", g.a, g.n),
    V(resizeFill, resizeFill, "ane", g.a, g.n, g.e),
    V(reserve, reserve, "an", g.a, g.n),
    V(getSize, getSize32, "a3", g.a, g.p3),
    V(getSize32, getSize32, "a3", g.a, g.p3),
    V(getCapacity, getCapacity, "a6", g.a, g.p6),
    V(getElementSize, getElementSize, "a3", g.a, g.p3),
    V(getBeginEnd, getBeginEnd, "a12", g.a, g.p1, g.p2),
    V(getBeginEndConst, getBeginEndConst, "a12", g.a, ro(g.p1), ro(g.p2)),
    V(getBegin, getBeginEnd, "a10", g.a, g.p1),
    V(getBeginConst, getBeginEndConst, "a10", g.a, ro(g.p1)),
    V(getBeginSize, getBeginSize32, "a13", g.a, g.p1, g.p3),
    V(getBeginSize32, getBeginSize32, "a13", g.a, g.p1, g.p3),
    V(getBeginSizeConst, getBeginSize32Const, "a13", g.a, ro(g.p1), g.p3),
    V(getBeginSize32Const, getBeginSize32Const, "a13", g.a, ro(g.p1), g.p3),
    V(getElement, getElement, "an1", g.a, g.n, g.p1),
    V(getElementConst, getElementConst, "an1", g.a, g.n, ro(g.p1)),
    V(insert, insert, "anem", g.a, g.n, g.e, g.m),
    V(insertElement, insertElement, "ane", g.a, g.n, g.e),
    V(erase, erase, "anm", g.a, g.n, g.m),
    V(eraseElement, eraseElement, "ae", g.a, g.e),
    V(pushBack, pushBack, "ae", g.a, g.e),
    V(popBack, popBack, "a", g.a),
    V(clear, clear, "a", g.a),
    V(clearAndFreeMemory, clearAndFreeMemory, "a", g.a),
    V(append, append, "ao", g.a, g.o),
    V(swap, swap, "ao", g.a, g.o)};

} // namespace

int main()
{
    // A run that never ends fails the sweep rather than hanging it: ten seconds without one ending.
    std::atomic<bool> done{false};
    std::thread watchdog([&done] {
        for (unsigned seen = ~0u, idle = 0; !done; std::this_thread::sleep_for(std::chrono::milliseconds(100)))
            if (seen != gRuns)
                seen = gRuns, idle = 0;
            else if (++idle == 100)
                std::fputs("fault sweep: a run never ended\n", stderr), std::_Exit(1);
    });
    Sweep sweep;
    for (const Payload &f : families())
        sweep.report(f.name, f.table == nullptr || f.table->tag == -1 ? "" : "the element table's tag is not -1");
    for (const auto &[name, fn, words, call] : kVector)
        for (const cstd_status status : {-12345, 23}) {
            const std::uint64_t fixed[] = {kArgs.n, kArgs.m, kArgs.c, sizeof(cstd_treePtr), 0};
            std::vector<std::uint64_t> want;
            for (const char *k = words; *k != 0; ++k)
                want.push_back(std::strchr("nmcs0", *k) ? fixed[std::strchr("nmcs0", *k) - "nmcs0"]
                                                        : std::uint64_t(*k) << 4);
            probe::reset();
            probe::inject({Fn::any, 1, status, probe::Mode::once, true});
            const bool ok = call(kArgs) == status && probe::calls().size() == 1 && probe::calls()[0].fn == fn &&
                            probe::calls()[0].args == want;
            sweep.report(std::string("cstd_vector_cstd_treePtr_") + name,
                         ok ? "" : "not its one call, or not its status");
        }
#if !defined(_WIN32) // the DLL's names are checked by tests/windows
    // The families share one entry point per core operation, the int32
    // family's, which answers as the core's does; "a=b": name a is b's entry.
    const std::string shared = "constructCopy destruct delete deleteThisAndAllDescendants deleteThisButNotDescendants "
                               "setData getDataPtr assign addChild removeChild getNumChildren hasParent getParent "
                               "getParentConst=getParent getFirstChild getFirstChildConst hasPrevSibling "
                               "getPrevSibling getPrevSiblingConst=getPrevSibling hasNextSibling getNextSibling "
                               "getNextSiblingConst=getNextSibling getDepthFromRoot hasNextSearchElement "
                               "getNextSearchElement getNextSearchElementConst ";
    const auto at = [](const std::string &name) { return dlsym(RTLD_DEFAULT, name.c_str()); };
    for (std::size_t b = 0, e = 0; (e = shared.find(' ', b)) != std::string::npos; b = e + 1) {
        const std::string op = shared.substr(b, e - b), as = "cstd_tree32s_" + op.substr(op.find('=') + 1);
        for (const char *family : {"cstd_tree32s_", "cstd_tree_cmath_xformLinear_", "cstd_tree_tree_"})
            sweep.report(family + op, at(as) && at(family + op.substr(0, op.find('='))) == at(as) ? "" : "not shared");
    }
    // The families' search step is the core's read-only step itself.
    sweep.report("cstd_tree32s_getNextSearchElement",
                 at("cstd_tree32s_getNextSearchElement") == at("cstd_tree_getNextSearchElementConst") ? "" : "not it");
#endif
    for (const Scenario &sc : scenarios()) sweep.sweep(sc);
    done = true;
    watchdog.join();
    std::printf("fault sweep: %u scenarios, %u call sites, %u injections, %u violations, %u leaks\n", sweep.scenarios,
                sweep.sites, sweep.injections, sweep.violations, sweep.leaks);
    return sweep.violations == 0 && sweep.leaks == 0 ? 0 : 1;
}
