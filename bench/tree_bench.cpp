// tree_bench: builds one tree shape with one implementation, times a few
// operations and prints ns per node, the heap the tree holds, the peak
// resident set and check values (pre-order FNV-1a of the payloads, sum of
// depths, max depth).
//
//   tree_bench --impl zodovar9|gnode|plain --shape random|kary4|chain|star --n N
//   tree_bench --impl ... --shape star --n K+1 --delete-only   (one node, K children)
//   tree_bench --smoke [--n N]    every shape and implementation at a small N,
//                                 check values compared; exit 1 on a mismatch
#include <zodovar9/zodovar9.h>
#ifdef ZODOVAR9_BENCH_GLIB
#include <glib.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/resource.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Fnv {
    uint64_t h = 0xcbf29ce484222325ull;
    void add(int32_t v)
    {
        auto u = static_cast<uint32_t>(v);
        for (int b = 0; b < 4; ++b) h = (h ^ ((u >> (8 * b)) & 0xffu)) * 0x100000001b3ull;
    }
};

std::vector<uint32_t> make_parents(const std::string &shape, uint32_t n)
{
    std::vector<uint32_t> p(n, 0);
    uint64_t s = 0x5EED0000C0FFEE00ull;
    auto splitmix64 = [&s] {
        s += 0x9E3779B97F4A7C15ull;
        uint64_t z = s;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    };
    for (uint32_t i = 1; i < n; ++i) {
        if (shape == "random")
            p[i] = static_cast<uint32_t>(splitmix64() % i);
        else if (shape == "kary4")
            p[i] = (i - 1) / 4;
        else if (shape == "chain")
            p[i] = i - 1;
        else
            p[i] = 0; // star
    }
    return p;
}

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "tree_bench: %s failed\n", what);
    std::exit(2);
}

// Bytes the C heap has handed out (every implementation's memory, the stand-in
// allocator's spans included, comes from it); 0 where it cannot tell.
uint64_t heap_in_use()
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
    const struct mallinfo2 m = mallinfo2();
    return static_cast<uint64_t>(m.uordblks) + static_cast<uint64_t>(m.hblkhd);
#else
    return 0;
#endif
}

long peak_rss_kib()
{
#if defined(__GLIBC__)
    struct rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
#else
    return 0;
#endif
}

// What one node's share of the heap is made of, in bytes per node.
struct Footprint {
    double record = 0, payload = 0, arrays = 0, unused = 0; // unused: empty array slots
};

// ---- zodovar9, through the exported C interface only ----
struct Zodovar9 {
    static constexpr const char *name = "zodovar9";
    std::vector<cstd_tree *> nodes;
    void build(const std::vector<uint32_t> &parent)
    {
        nodes.assign(parent.size(), nullptr);
        for (size_t i = 0; i < parent.size(); ++i) {
            int32_t v = static_cast<int32_t>(i);
            if (cstd_tree32s_new(&nodes[i]) < 0 || cstd_tree32s_setData(nodes[i], &v) < 0) fail("new");
            if (i && cstd_tree_addChild(nodes[parent[i]], nodes[i]) < 0) fail("addChild");
        }
    }
    static int32_t value(const cstd_tree *t)
    {
        void *d = nullptr;
        cstd_tree_getDataPtr(t, &d);
        return *static_cast<const int32_t *>(d);
    }
    uint64_t walk()
    {
        Fnv f;
        cstd_tree *t = nodes[0];
        cstd_status st;
        do {
            f.add(value(t));
        } while ((st = cstd_tree_getNextSearchElement(t, cstd_tree_searchDepthFirst, &t)) >= 0);
        if (st != cstd_tree_errSearchEnd) fail("getNextSearchElement");
        return f.h;
    }
    int64_t depth(size_t i)
    {
        int32_t d = -1;
        if (cstd_tree_getDepthFromRoot(nodes[i], &d) < 0) fail("getDepthFromRoot");
        return d;
    }
    template <class F>
    void children(size_t i, F &&visit)
    {
        uint32_t k = 0;
        cstd_tree_getNumChildren(nodes[i], &k);
        if (!k) return;
        cstd_tree *c = nullptr;
        if (cstd_tree_getFirstChild(nodes[i], &c) < 0) fail("getFirstChild");
        for (uint32_t j = 0; j < k; ++j) {
            visit(value(c));
            if (j + 1 < k && cstd_tree_getNextSibling(c, &c) < 0) fail("getNextSibling");
        }
    }
    uint64_t count(size_t i)
    {
        uint32_t k = 0;
        cstd_tree_getNumChildren(nodes[i], &k);
        return k;
    }
    Footprint footprint() const
    {
        Footprint f;
        uint64_t slots = 0, used = 0;
        for (cstd_tree *t : nodes) {
            uint64_t capacity = 0;
            uint32_t size = 0;
            cstd_vector__getCapacity(&t->children, &capacity);
            cstd_vector__getSize32(&t->children, &size);
            slots += capacity;
            used += size;
        }
        const double n = static_cast<double>(nodes.size());
        f.record = sizeof(cstd_tree);
        f.payload = sizeof(int32_t);
        f.arrays = static_cast<double>(slots * sizeof(cstd_treePtr)) / n;
        f.unused = static_cast<double>((slots - used) * sizeof(cstd_treePtr)) / n;
        return f;
    }
    void destroy()
    {
        if (cstd_tree32s_delete(&nodes[0]) < 0) fail("delete");
    }
    void remove_first_children()
    {
        cstd_tree *c = nullptr;
        while (cstd_tree_getFirstChild(nodes[0], &c) >= 0) {
            if (cstd_tree_removeChild(nodes[0], c) < 0 || cstd_tree32s_delete(&c) < 0) fail("removeChild");
        }
        destroy();
    }
};

// ---- the floor: a minimal pointer tree with O(1) append ----
struct Plain {
    static constexpr const char *name = "plain";
    struct Node {
        Node *parent = nullptr, *first = nullptr, *last = nullptr, *next = nullptr, *prev = nullptr;
        int32_t value = 0;
    };
    std::vector<Node *> nodes;
    void build(const std::vector<uint32_t> &parent)
    {
        nodes.assign(parent.size(), nullptr);
        for (size_t i = 0; i < parent.size(); ++i) {
            Node *n = nodes[i] = new Node;
            n->value = static_cast<int32_t>(i);
            if (!i) continue;
            Node *p = n->parent = nodes[parent[i]];
            n->prev = p->last;
            (p->last ? p->last->next : p->first) = n;
            p->last = n;
        }
    }
    uint64_t walk()
    {
        Fnv f;
        for (Node *n = nodes[0]; n;) {
            f.add(n->value);
            if (n->first) {
                n = n->first;
                continue;
            }
            while (n && !n->next) n = n->parent;
            if (n) n = n->next;
        }
        return f.h;
    }
    int64_t depth(size_t i)
    {
        int64_t d = 0;
        for (Node *n = nodes[i]->parent; n; n = n->parent) ++d;
        return d;
    }
    template <class F>
    void children(size_t i, F &&visit)
    {
        for (Node *c = nodes[i]->first; c; c = c->next) visit(c->value);
    }
    uint64_t count(size_t i)
    {
        uint64_t k = 0;
        for (Node *c = nodes[i]->first; c; c = c->next) ++k;
        return k;
    }
    Footprint footprint() const
    {
        Footprint f;
        f.record = sizeof(Node);
        return f;
    }
    void destroy()
    { // leaves first, no recursion
        for (Node *n = nodes[0]; n;) {
            if (n->first) {
                n = n->first;
                continue;
            }
            Node *p = n->parent;
            if (p) p->first = n->next;
            delete n;
            n = p;
        }
    }
    void remove_first_children()
    {
        Node *r = nodes[0];
        while (Node *c = r->first) {
            r->first = c->next;
            (c->next ? c->next->prev : r->last) = nullptr;
            delete c;
        }
        delete r;
    }
};

#ifdef ZODOVAR9_BENCH_GLIB
// ---- GLib's GNode, the peer ----
struct GNodeImpl {
    static constexpr const char *name = "gnode";
    std::vector<GNode *> nodes;
    void build(const std::vector<uint32_t> &parent)
    {
        nodes.assign(parent.size(), nullptr);
        for (size_t i = 0; i < parent.size(); ++i) {
            nodes[i] = g_node_new(GINT_TO_POINTER(static_cast<int32_t>(i)));
            if (i) g_node_append(nodes[parent[i]], nodes[i]);
        }
    }
    static int32_t value(const GNode *n) { return GPOINTER_TO_INT(n->data); }
    uint64_t walk()
    {
        Fnv f;
        for (GNode *n = nodes[0]; n;) {
            f.add(value(n));
            if (n->children) {
                n = n->children;
                continue;
            }
            while (n && !n->next) n = n->parent;
            if (n) n = n->next;
        }
        return f.h;
    }
    uint64_t traverse()
    {
        Fnv f;
        g_node_traverse(
            nodes[0], G_PRE_ORDER, G_TRAVERSE_ALL, -1,
            [](GNode *n, gpointer fp) -> gboolean {
                static_cast<Fnv *>(fp)->add(value(n));
                return FALSE;
            },
            &f);
        return f.h;
    }
    int64_t depth(size_t i) { return static_cast<int64_t>(g_node_depth(nodes[i])) - 1; }
    template <class F>
    void children(size_t i, F &&visit)
    {
        guint k = g_node_n_children(nodes[i]);
        GNode *c = g_node_first_child(nodes[i]);
        for (guint j = 0; j < k; ++j, c = g_node_next_sibling(c)) visit(value(c));
    }
    uint64_t count(size_t i) { return g_node_n_children(nodes[i]); }
    Footprint footprint() const
    {
        Footprint f;
        f.record = sizeof(GNode);
        return f;
    }
    void destroy() { g_node_destroy(nodes[0]); }
    void remove_first_children()
    {
        while (GNode *c = g_node_first_child(nodes[0])) {
            g_node_unlink(c);
            g_node_destroy(c);
        }
        g_node_destroy(nodes[0]);
    }
};
#endif

struct Expected {
    const char *shape;
    uint32_t n;
    uint64_t fnv, depthsum, maxdepth;
};
constexpr Expected kExpected[] = {
    {"random", 1000000, 0x731a4eefc0bc4739ull, 13059100, 31},
    {"kary4", 1000000, 0x2d482b99cf416815ull, 9533970, 10},
    {"chain", 100000, 0x117966cd58fbf8e5ull, 4999950000ull, 99999},
    {"chain", 1000000, 0x0a6c5f30961561a5ull, 499999500000ull, 999999},
    {"star", 10001, 0x5e3bc0d16fd0e1d8ull, 10000, 1},
};

struct Checks {
    uint64_t fnv = 0;
    int64_t depthsum = 0, maxdepth = 0;
    bool operator==(const Checks &) const = default;
};

// Builds the shape, times each operation, prints one row per operation and
// the check values, and deletes the tree. With delete_only, only the build
// and the deletion run (the quadratic star deletion).
template <class Impl>
Checks run(const std::string &shape, uint32_t n, bool delete_only = false)
{
    const auto parent = make_parents(shape, n);
    const bool deep = shape == "chain";
    // GLib's pre-order traversal and destroy recurse once per level.
    const bool gnode_recursion_overflows = deep && n > 200000;
    auto row = [&](const char *op, Clock::duration d, size_t count) {
        double ns = std::chrono::duration<double, std::nano>(d).count() / static_cast<double>(count);
        std::printf("%s %s %u %s %.2f\n", Impl::name, shape.c_str(), n, op, ns);
    };
    Impl t;
    t.nodes.reserve(n);
    const uint64_t heap_before = heap_in_use();
    auto t0 = Clock::now();
    t.build(parent);
    row("build", Clock::now() - t0, n);
    Checks c;
    if (delete_only) {
        t0 = Clock::now();
        t.destroy();
        row("delete", Clock::now() - t0, n);
        return c;
    }
    const uint64_t heap_after = heap_in_use();
    if (heap_after > heap_before) {
        const Footprint f = t.footprint();
        const double heap = static_cast<double>(heap_after - heap_before) / n;
        std::printf("mem %s %s %u heap %.2f record %.2f payload %.2f arrays %.2f unused %.2f\n", Impl::name,
                    shape.c_str(), n, heap, f.record, f.payload, f.arrays, f.unused);
    }

    t0 = Clock::now();
    c.fnv = t.walk();
    row("walk", Clock::now() - t0, n);
#ifdef ZODOVAR9_BENCH_GLIB
    if constexpr (std::is_same_v<Impl, GNodeImpl>) {
        if (gnode_recursion_overflows) {
            std::printf("gnode %s %u traverse skipped: g_node_traverse recurses per level and overflows the stack\n",
                        shape.c_str(), n);
        } else {
            t0 = Clock::now();
            const uint64_t h = t.traverse();
            row("traverse", Clock::now() - t0, n);
            if (h != c.fnv) fail("g_node_traverse agreeing with the walk");
        }
    }
#endif

    // Children loop; each node's depth follows from its parent's (parents come first).
    std::vector<int64_t> depth(n, 0);
    t0 = Clock::now();
    for (size_t i = 0; i < n; ++i) {
        const int64_t below = depth[i] + 1;
        t.children(i, [&](int32_t v) { depth[static_cast<size_t>(v)] = below; });
    }
    row("children", Clock::now() - t0, n);
    for (int64_t d : depth) {
        c.depthsum += d;
        c.maxdepth = std::max(c.maxdepth, d);
    }

    // A chain's depth costs its height: sample every 100th node (every 10000th
    // past 200,000 nodes, or one run takes minutes); ns per sampled node.
    const size_t stride = !deep ? 1 : n > 200000 ? 10000 : 100;
    const std::string depth_op = stride == 1 ? "depth" : "depth/" + std::to_string(stride);
    int64_t sampled = 0, want = 0;
    size_t count = 0;
    t0 = Clock::now();
    for (size_t i = 0; i < n; i += stride, ++count) sampled += t.depth(i);
    row(depth_op.c_str(), Clock::now() - t0, count);
    for (size_t i = 0; i < n; i += stride) want += depth[i];
    if (sampled != want) fail("depth agreeing with the children loop");

    std::printf("check %s %s %u %016llx %lld %lld\n", Impl::name, shape.c_str(), n,
                static_cast<unsigned long long>(c.fnv), static_cast<long long>(c.depthsum),
                static_cast<long long>(c.maxdepth));

    if (std::strcmp(Impl::name, "gnode") == 0 && gnode_recursion_overflows) {
        std::printf("gnode %s %u delete skipped: g_node_destroy recurses per level and overflows the stack\n",
                    shape.c_str(), n);
        std::exit(0); // the tree cannot be taken down; the process ends instead
    }
    if (shape == "star") { // the centre's child count, asked 1000 times; ns per call
        uint64_t total = 0;
        t0 = Clock::now();
        for (int i = 0; i < 1000; ++i) total += t.count(0);
        const auto d = Clock::now() - t0;
        std::printf("%s %s %u count_root %.2f\n", Impl::name, shape.c_str(), n,
                    std::chrono::duration<double, std::nano>(d).count() / 1000);
        if (total != 1000ull * (n - 1)) fail("child count");
    }
    t0 = Clock::now();
    t.destroy();
    row("delete", Clock::now() - t0, n);

    if (shape == "star") { // a fresh star, emptied one first child at a time
        Impl s;
        s.build(parent);
        t0 = Clock::now();
        s.remove_first_children();
        row("remove_first", Clock::now() - t0, n);
    }
    std::fflush(stdout);
    return c;
}

// The check values that the full-size shapes must give.
bool expected(const std::string &shape, uint32_t n, const Checks &c)
{
    for (const auto &e : kExpected) {
        if (shape == e.shape && n == e.n &&
            (c.fnv != e.fnv || static_cast<uint64_t>(c.depthsum) != e.depthsum ||
             static_cast<uint64_t>(c.maxdepth) != e.maxdepth)) {
            std::printf("MISMATCH expected %016llx %llu %llu\n", static_cast<unsigned long long>(e.fnv),
                        static_cast<unsigned long long>(e.depthsum), static_cast<unsigned long long>(e.maxdepth));
            return false;
        }
    }
    return true;
}

// Every shape through every implementation at a small size, in one process.
int smoke(uint32_t n)
{
    int rc = 0;
    for (const char *shape : {"random", "kary4", "chain", "star"}) {
        const Checks plain = run<Plain>(shape, n);
        const Checks ours = run<Zodovar9>(shape, n);
        bool same = ours == plain;
#ifdef ZODOVAR9_BENCH_GLIB
        same = same && run<GNodeImpl>(shape, n) == plain;
#endif
        if (!same) {
            std::printf("MISMATCH %s %u: implementations disagree\n", shape, n);
            rc = 1;
        }
    }
    return rc;
}

} // namespace

int main(int argc, char **argv)
{
    std::string impl = "zodovar9", shape = "random";
    uint32_t n = 1000000;
    bool smoke_run = false, delete_only = false, n_given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string k = argv[i];
        if (k == "--smoke") {
            smoke_run = true;
            continue;
        }
        if (k == "--delete-only") {
            delete_only = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "tree_bench: %s wants a value\n", k.c_str());
            return 2;
        }
        const std::string v = argv[++i];
        if (k == "--impl")
            impl = v;
        else if (k == "--shape")
            shape = v;
        else if (k == "--n") {
            n = static_cast<uint32_t>(std::strtoul(v.c_str(), nullptr, 10));
            n_given = true;
        } else {
            std::fprintf(stderr, "tree_bench: unknown option %s\n", k.c_str());
            return 2;
        }
    }
    if (smoke_run) return smoke(n_given ? n : 2000);
    if (n == 0 || (shape != "random" && shape != "kary4" && shape != "chain" && shape != "star")) {
        std::fprintf(stderr, "usage: tree_bench --impl zodovar9|gnode|plain "
                             "--shape random|kary4|chain|star --n N [--delete-only] | --smoke [--n N]\n");
        return 2;
    }
    Checks c;
    if (impl == "zodovar9")
        c = run<Zodovar9>(shape, n, delete_only);
    else if (impl == "plain")
        c = run<Plain>(shape, n, delete_only);
    else if (impl == "gnode") {
#ifdef ZODOVAR9_BENCH_GLIB
        c = run<GNodeImpl>(shape, n, delete_only);
#else
        std::printf("gnode compiled out: GLib was not found\n");
        return 0;
#endif
    } else {
        std::fprintf(stderr, "tree_bench: unknown impl %s\n", impl.c_str());
        return 2;
    }
    std::printf("rss %s %s %u %ld\n", impl.c_str(), shape.c_str(), n, peak_rss_kib());
    return delete_only || expected(shape, n, c) ? 0 : 1;
}
