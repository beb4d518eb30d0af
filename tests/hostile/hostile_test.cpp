// Hostile shapes against the shipped library, each on a thread whose stack is
// 64 KiB, so that anything recursing with a tree's height or width overflows:
// a million-level chain and a node with 20,000 children, walked, measured and
// deleted by each deletion; ten million nodes whose deletion hands the heap
// back. Each prints how long it took.
#include <zodovar9/zodovar9.h>
#include <rezade9/memory.h>

#include <gtest/gtest.h>
#include <malloc.h>
#include <pthread.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

// Room for the library's frames (and ASan's beside them, which fit too), not
// for a recursion over a chain.
constexpr size_t kStack = 64 * 1024;

uint32_t liveBlocks()
{
    uint32_t count = UINT32_MAX;
    return csys_memory_getLiveBlockCount(&count), count;
}

void onSmallStack(const std::string &what, std::function<void()> body)
{
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, kStack), 0);
    const auto start = std::chrono::steady_clock::now();
    pthread_t thread;
    auto run = [](void *f) -> void * { return (*static_cast<std::function<void()> *>(f))(), nullptr; };
    ASSERT_EQ(pthread_create(&thread, &attr, run, &body), 0);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
    pthread_attr_destroy(&attr);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("hostile: %s: %.2f s\n", what.c_str(), took.count());
}

// A cstd_tree32s node holding `rank`, appended to `parent` (if any).
cstd_tree *grow(cstd_tree *parent, int32_t rank)
{
    cstd_tree *node = nullptr;
    EXPECT_TRUE(cstd_tree32s_new(&node) >= 0 && cstd_tree32s_setData(node, &rank) >= 0 &&
                (parent == nullptr || cstd_tree32s_addChild(parent, node) >= 0))
        << rank;
    return node;
}

// The number of nodes the search step meets from `node` to the end, or -1 at
// the first whose payload is not its pre-order rank (every shape here is built in pre-order).
int64_t walk(const cstd_tree *node)
{
    int64_t seen = 0;
    cstd_status status = 0;
    for (; status >= 0; status = cstd_tree_getNextSearchElementConst(node, cstd_tree_searchDepthFirst, &node)) {
        if (*static_cast<const int32_t *>(node->data) != seen++) return -1;
    }
    return status == cstd_tree_errSearchEnd ? seen : -1;
}

enum Shape { kChain, kWide, kMix };

// Ranks 1..nodes-1 appended below `top` in pre-order: a chain, all children of
// `top`, or the mix (runs of 10,000 below `top`, each a spine 100 levels deep
// whose every node holds 99 leaves before the next level). Returns the last.
cstd_tree *build(cstd_tree *top, Shape shape, int32_t nodes)
{
    cstd_tree *last = top, *spine = top;
    for (int32_t i = 1; i < nodes; ++i) {
        const int32_t k = (i - 1) % 10'000;
        last = shape == kChain  ? grow(last, i)
               : shape == kWide ? grow(top, i)
               : k % 100 != 0   ? grow(spine, i)
                                : (spine = grow(k != 0 ? spine : top, i));
    }
    return last;
}

TEST(Hostile, DeepWideAndHugeTreesUnderEachDeletion)
{
    using Deletion = cstd_status (*)(cstd_tree **);
    const Deletion thisAndAll = [](cstd_tree **p) { return cstd_tree_deleteThisAndAllDescendants(p); };
    const Deletion deleteNode = [](cstd_tree **p) { return cstd_tree_delete(p); };
    const Deletion destruct = [](cstd_tree **p) { return cstd_tree_destruct(*p); };
    // Deleting 20,000 siblings renumbers those behind each: quadratic by design.
    struct Case {
        const char *name;
        Shape shape;
        int32_t nodes, lastDepth;
        bool inCallerStorage;
        Deletion run;
    };
    const Case cases[] = {{"chain, deleteThisAndAllDescendants", kChain, 1'000'000, 999'999, false, thisAndAll},
                          {"chain, delete", kChain, 1'000'000, 999'999, false, deleteNode},
                          {"chain, destruct in caller storage", kChain, 1'000'000, 999'999, true, destruct},
                          {"20,000 children, deleteThisAndAllDescendants", kWide, 20'001, 1, false, thisAndAll},
                          {"20,000 children, destruct in caller storage", kWide, 20'001, 1, true, destruct},
                          {"10,000,001 nodes, deleteThisAndAllDescendants", kMix, 10'000'001, 101, false, thisAndAll}};
    for (const Case &c : cases) {
#if defined(__SANITIZE_ADDRESS__)
        if (c.nodes > 1'000'000) continue; // 25 s under ASan, whose heap is its own anyway
#endif
        onSmallStack(c.name, [&] {
            // The thread's first node sets up its arena and cache; count from after.
            cstd_tree local, *top = grow(nullptr, 0);
            ASSERT_EQ(cstd_tree_delete(&top), 0);
            const uint32_t before = liveBlocks();
            const size_t heapBefore = mallinfo2().uordblks;
            const int32_t zero = 0;
            ASSERT_EQ(c.inCallerStorage ? cstd_tree32s_construct(top = &local) : cstd_tree32s_new(&top), 0);
            ASSERT_EQ(cstd_tree32s_setData(top, &zero), 0);
            int32_t depth = 0;
            EXPECT_EQ(cstd_tree_getDepthFromRoot(build(top, c.shape, c.nodes), &depth), 0);
            EXPECT_EQ(depth, c.lastDepth);
            EXPECT_EQ(walk(top), c.nodes);
            EXPECT_EQ(c.run(&top), 0);
            EXPECT_EQ(c.inCallerStorage ? local.data : top, nullptr);
            EXPECT_EQ(liveBlocks(), before);
            // Bytes in use, back within the allocator's own bookkeeping (~13 KiB
            // after ten million nodes); one node lost in a thousand is megabytes.
            EXPECT_LE(mallinfo2().uordblks, heapBefore + 64 * 1024);
        });
    }
}

} // namespace
