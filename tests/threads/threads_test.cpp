// The library keeps no state of its own, so threads that each build, walk, copy
// and delete trees of their own at once must each get what one thread gets,
// against the shipped libraries. State shared behind the callers' backs shows
// as a race under ThreadSanitizer (preset `tsan`), otherwise as a wrong result.
#include <rezade9/rezade9.h>
#include <zodovar9/zodovar9.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

#define REQUIRE(cond)                                                                                                  \
    if (!(cond)) return std::string("line ") + std::to_string(__LINE__) + ": " #cond

// A start line for every round. Not std::barrier: MinGW's, run under wine,
// hangs in about one run in four with sixteen threads.
class StartLine {
public:
    explicit StartLine(int threads) : threads_(threads) {}
    void arriveAndWait()
    {
        std::unique_lock lock(mutex_);
        const int round = round_;
        if (++waiting_ == threads_) {
            waiting_ = 0, ++round_;
            wake_.notify_all();
        } else {
            wake_.wait(lock, [&] { return round_ != round; });
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    int threads_, waiting_ = 0, round_ = 0;
};

// Runs `work(thread, round)` for eight rounds on `threads` threads, all of
// them beginning each round together; no thread may fault, no block be left.
void onThreads(int threads, std::string (*work)(int, int))
{
    uint32_t before = 0, after = 0;
    csys_memory_getLiveBlockCount(&before);
    std::vector<std::string> faults(threads);
    StartLine start(threads);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            for (int round = 0; round < 8; ++round) {
                start.arriveAndWait();
                if (faults[t].empty()) faults[t] = work(t, round);
            }
        });
    for (std::thread &thread : pool) thread.join();
    for (int t = 0; t < threads; ++t) EXPECT_EQ(faults[t], "") << "thread " << t;
    csys_memory_getLiveBlockCount(&after);
    EXPECT_EQ(after, before);
}

int32_t stamp(int thread, int round, int i) { return (thread * 100 + round) * 1000 + i; }
// Node i > 0 hangs below node (i - 1) / 3, six full levels. Its family is
// i % 3, and its payload holds its stamp as the family keeps it: a 32-bit
// integer, a linear transform's translation, a payload node's value.
constexpr int kNodes = 364;
cstd_status(CSTD_CALL *const kMake[])(cstd_tree **) = {cstd_tree32s_new, cstd_tree_cmath_xformLinear_new,
                                                       cstd_tree_tree_new};

cstd_status setStamp(cstd_tree *node, int family, int32_t value)
{
    cmath_xformLinear x;
    cmath_xformLinear_initIdentity(&x);
    x.translation[2] = static_cast<float>(value);
    return family == 0 ? cstd_tree32s_setData(node, &value)
           : family == 1
               ? cstd_tree_cmath_xformLinear_setData(node, &x)
               : cstd_tree_setData(static_cast<cstd_tree *>(node->data), reinterpret_cast<void *>(intptr_t{value}));
}
int32_t stampOf(const cstd_tree *node, int family)
{
    return family == 0 ? *static_cast<const int32_t *>(node->data)
           : family == 1
               ? static_cast<int32_t>(static_cast<const cmath_xformLinear *>(node->data)->translation[2])
               : static_cast<int32_t>(reinterpret_cast<intptr_t>(static_cast<const cstd_tree *>(node->data)->data));
}

void preOrder(int i, std::vector<int> &order)
{
    order.push_back(i);
    for (int c = 3 * i + 1; c <= 3 * i + 3 && c < kNodes; ++c) preOrder(c, order);
}

std::string buildWalkCopyDelete(int thread, int round)
{
    std::vector<cstd_tree *> nodes(kNodes, nullptr);
    for (int i = 0; i < kNodes; ++i) {
        REQUIRE(kMake[i % 3](&nodes[i]) >= 0 && setStamp(nodes[i], i % 3, stamp(thread, round, i)) >= 0);
        REQUIRE(i == 0 || cstd_tree_addChild(nodes[(i - 1) / 3], nodes[i]) >= 0);
    }
    // The walk meets every node once, in pre-order, with its stamp.
    std::vector<int> order;
    preOrder(0, order);
    cstd_tree *node = nodes[0];
    cstd_status status = 0;
    for (std::size_t met = 0; status != cstd_tree_errSearchEnd; ++met) {
        REQUIRE(status >= 0 && met < order.size() && node == nodes[order[met]]);
        REQUIRE(stampOf(node, order[met] % 3) == stamp(thread, round, order[met]));
        status = cstd_tree_getNextSearchElement(node, cstd_tree_searchDepthFirst, &node);
        REQUIRE(status != cstd_tree_errSearchEnd || met + 1 == order.size());
    }
    // A leaf's copy (a payload built, then assigned) carries its stamp in a
    // payload of its own.
    for (int i = (kNodes - 1) / 3; i < kNodes; ++i) {
        cstd_tree copy;
        REQUIRE(cstd_tree_constructCopy(&copy, nodes[i]) >= 0 && copy.data != nodes[i]->data);
        REQUIRE(stampOf(&copy, i % 3) == stamp(thread, round, i) && cstd_tree_destruct(&copy) >= 0);
    }
    cstd_status(CSTD_CALL *const deletions[])(cstd_tree **) = {cstd_tree32s_deleteThisAndAllDescendants,
                                                               cstd_tree_cmath_xformLinear_delete,
                                                               cstd_tree_tree_deleteThisAndAllDescendants};
    REQUIRE(deletions[round % 3](&nodes[0]) >= 0 && nodes[0] == nullptr);
    return "";
}

TEST(Threads, SeparateTreesAreBuiltWalkedCopiedAndDeletedAtOnce) { onThreads(8, buildWalkCopyDelete); }

// Each round a thread releases the blocks its neighbour made in the round
// before, each still holding its maker's stamp to the last byte, and makes
// blocks of every size class and larger for its other neighbour. A mailbox
// per round's parity keeps a round's posts from its readers.
constexpr int kHanders = 16;
struct Mailbox {
    std::mutex mutex;
    std::vector<std::pair<unsigned char *, uint32_t>> blocks;
} gMail[kHanders][2];

std::string handBlocksOn(int thread, int round)
{
    Mailbox &own = gMail[thread][(round + 1) % 2], &next = gMail[(thread + 1) % kHanders][round % 2];
    const auto fill = [](int t, int r, uint32_t size) { return static_cast<unsigned char>(t * 8 + r + size); };
    for (const auto &[block, size] : own.blocks) {
        const unsigned char stamp = fill((thread + kHanders - 1) % kHanders, round - 1, size);
        REQUIRE(std::all_of(block, block + size, [stamp](unsigned char c) { return c == stamp; }));
        void *released = block;
        REQUIRE(csys_memory_free_internal(&released) == 0);
    }
    own.blocks.clear();
    for (uint32_t i = 0; i < 200 && round < 7; ++i) {
        void *block = nullptr;
        const uint32_t size = 1 + (i * 37 + static_cast<uint32_t>(thread) * 11) % 1100;
        REQUIRE(csys_memory_alloc_internal(size, &block) == 0);
        std::lock_guard post(next.mutex);
        next.blocks.emplace_back(static_cast<unsigned char *>(std::memset(block, fill(thread, round, size), size)),
                                 size);
    }
    return "";
}

TEST(Threads, BlocksAreMadeOnOneThreadAndReleasedOnAnother)
{
    onThreads(kHanders, handBlocksOn);
    // Released twice by a thread that did not make it, while its maker still
    // runs: the second release is refused.
    std::promise<void *> made;
    std::promise<void> done;
    std::thread maker([&] {
        void *block = nullptr;
        csys_memory_alloc_internal(40, &block);
        made.set_value(block);
        done.get_future().wait();
    });
    void *block = made.get_future().get(), *alias = block;
    uint32_t live = 1; // the plain heap cannot tell, and would release it twice
    EXPECT_EQ(csys_memory_free_internal(&block) | csys_memory_isBlockLive(alias, &live), 0);
    EXPECT_TRUE(live != 0 || csys_memory_free_internal(&alias) == csys_errBlockNotLive);
    done.set_value();
    maker.join();
}

} // namespace
