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

namespace {

uint32_t liveBlocks()
{
    uint32_t count = UINT32_MAX;
    return csys_memory_getLiveBlockCount(&count), count;
}

// A cstd_tree32s node holding `rank`, appended to `parent` (if any).
cstd_tree *grow(cstd_tree *parent, int32_t rank)
{
    cstd_tree *node = nullptr;
    EXPECT_TRUE(cstd_tree32s_new(&node) >= 0 && cstd_tree32s_setData(node, &rank) >= 0 &&
                (parent == nullptr || cstd_tree32s_addChild(parent, node) >= 0));
    return node;
}

// The nodes the search step meets from `node` on, or -1 at the first whose
// payload is not its pre-order rank (every shape here is built in pre-order).
int64_t walk(const cstd_tree *node)
{
    int64_t seen = 0;
    cstd_status status = 0;
    for (; status >= 0; status = cstd_tree_getNextSearchElementConst(node, cstd_tree_searchDepthFirst, &node))
        if (*static_cast<const int32_t *>(node->data) != seen++) return -1;
    return status == cstd_tree_errSearchEnd ? seen : -1;
}

TEST(Hostile, DeepWideAndHugeTreesUnderEachDeletion)
{
    using Deletion = cstd_status (*)(cstd_tree **);
    const Deletion all = &cstd_tree_deleteThisAndAllDescendants, one = &cstd_tree_delete;
    const Deletion inPlace = [](cstd_tree **p) { return cstd_tree_destruct(*p); };
    // 0: a chain; 1: 20,000 siblings; 2: runs of 10,000 below the top, each a
    // spine 100 levels deep whose every node holds 99 leaves before the next level.
    enum Shape { kChain, kWide, kMix };
    const std::tuple<Shape, int32_t, int32_t, Deletion> cases[] = {
        {kChain, 1'000'000, 999'999, all}, {kChain, 1'000'000, 999'999, one}, {kChain, 1'000'000, 999'999, inPlace},
        {kWide, 20'001, 1, all},           {kWide, 20'001, 1, inPlace},       {kMix, 10'000'001, 101, all}};
    for (const auto &[shape, nodes, lastDepth, deletion] : cases) {
#if defined(__SANITIZE_ADDRESS__)
        if (nodes > 1'000'000) continue; // 25 s under ASan, whose heap is its own anyway
#endif
        std::function<void()> body = [&, shape = shape, nodes = nodes, lastDepth = lastDepth, deletion = deletion] {
            // The thread's first node sets up its arena and cache; count from after.
            cstd_tree local, *top = grow(nullptr, 0), *last = nullptr, *spine = nullptr;
            ASSERT_EQ(cstd_tree_delete(&top), 0);
            const uint32_t before = liveBlocks();
            const size_t heapBefore = mallinfo2().uordblks;
            const int32_t zero = 0;
            ASSERT_EQ(deletion == inPlace ? cstd_tree32s_construct(top = &local) : cstd_tree32s_new(&top), 0);
            ASSERT_EQ(cstd_tree32s_setData(top, &zero), 0);
            last = spine = top;
            for (int32_t i = 1, k = 0; i < nodes; ++i, k = (i - 1) % 10'000)
                last = shape == kChain  ? grow(last, i)
                       : shape == kWide ? grow(top, i)
                       : k % 100 != 0   ? grow(spine, i)
                                        : (spine = grow(k != 0 ? spine : top, i));
            int32_t depth = 0;
            EXPECT_TRUE(cstd_tree_getDepthFromRoot(last, &depth) == 0 && depth == lastDepth && walk(top) == nodes);
            EXPECT_TRUE(deletion(&top) == 0 && (deletion == inPlace ? local.data : top) == nullptr);
            EXPECT_EQ(liveBlocks(), before);
            // Bytes in use, back within the allocator's own bookkeeping (~13 KiB
            // after ten million nodes); one node lost in a thousand is megabytes.
            EXPECT_LE(mallinfo2().uordblks, heapBefore + 64 * 1024);
        };
        pthread_attr_t attr;
        pthread_t thread;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(pthread_attr_init(&attr) | pthread_attr_setstacksize(&attr, 64 * 1024), 0);
        ASSERT_EQ(pthread_create(
                      &thread, &attr,
                      [](void *f) -> void * { return (*static_cast<std::function<void()> *>(f))(), nullptr; }, &body),
                  0);
        ASSERT_EQ(pthread_join(thread, nullptr), 0);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("hostile: shape %d of %d nodes: %.2f s\n", int(shape), nodes, took.count());
    }
}

} // namespace
