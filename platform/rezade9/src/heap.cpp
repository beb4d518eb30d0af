// The heap behind every block that rezade9 hands out: small blocks from
// size-class spans, larger ones straight from the C heap.
//
// A tree node costs three small blocks (its record, its payload and, once it
// has children, its children's array), so small blocks decide both the speed
// and the memory of a tree. The C heap puts a header before each of them and
// rounds a 4-byte payload up to 32 bytes; here a block carries no header:
//
// - A span is a 64 KiB region aligned to 64 KiB, cut into blocks of one size
//   class. Its header sits at its start, so a block finds its span by masking
//   its address. Fresh blocks are handed out in address order (nodes made one
//   after another lie side by side); freed ones go on the span's own free
//   list and are handed out again first.
// - A class keeps the spans that have room in a list. A span that fills up
//   leaves the list, and comes back when one of its blocks is freed. A span
//   whose last block is freed goes back to its arena (see there for the one
//   kind that stays).
// - Spans are cut from 4 MiB arenas that come from malloc; an arena whose
//   spans are all back goes back too.
// - Blocks over 1 KiB come from malloc. A page map of the address space
//   (one byte per 64 KiB) tells which blocks are in spans.
// - Each class has a spin lock: one atomic exchange on the uncontended path.
//   Threads never share a span's blocks without it.
//
// Blocks are aligned as a C heap's blocks of their size would need: a class
// that is a multiple of 16 bytes gives 16-byte alignment, the 8- and 24-byte
// classes give 8, the 4-byte class (32-bit systems only) 4.
//
// Memory checkers (AddressSanitizer, ThreadSanitizer, valgrind) see only what
// malloc and free do. In builds for them, under valgrind, with
// REZADE9_PLAIN_HEAP=1 in the environment, or with the build option of that
// name, every block comes from malloc on its own, so they still find each
// leaked, overrun or reused block.
#include "impl.hpp"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <thread>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define REZADE9_CHECKED_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define REZADE9_CHECKED_HEAP 1
#endif
#if defined(__has_include)
#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#define REZADE9_HAS_VALGRIND 1
#endif
#endif

namespace rezade9::impl {
namespace {

constexpr std::size_t kSpanBytes = std::size_t{1} << 16;
constexpr unsigned kSpanShift = 16;
constexpr std::size_t kSpanHeader = 64;
constexpr uint32_t kLargestSmall = 1024;

// Steps of 8 bytes up to 32, then four classes per doubling: rounding wastes
// at most a quarter of a block, and nothing for the sizes a tree asks for (a
// record, arrays of 1, 2, 4, 8... pointers). Where a pointer is 4 bytes, a
// 4-byte class holds a tree's int32 payloads (a free block holds one pointer).
constexpr uint16_t kSmallest = sizeof(void *) == 4 ? 4 : 8;
constexpr std::array<uint16_t, 23> kClassBytes{kSmallest, 8,   16,  24,  32,  48,  64,  80,  96,  112, 128, 160,
                                               192,       224, 256, 320, 384, 448, 512, 640, 768, 896, 1024};

// The class of every size up to kLargestSmall, by quarters.
constexpr auto kClassOfQuarter = [] {
    std::array<uint8_t, kLargestSmall / 4 + 1> table{};
    std::size_t cls = 0;
    for (std::size_t quarter = 0; quarter < table.size(); ++quarter) {
        while (kClassBytes[cls] < quarter * 4) ++cls;
        table[quarter] = static_cast<uint8_t>(cls);
    }
    return table;
}();

struct Arena;

struct Span {
    Span *prev; // neighbours in the class's list of spans with room
    Span *next;
    void *free;           // freed blocks, each naming the next in its first word
    unsigned char *fresh; // blocks never handed out start here
    uint32_t used;        // blocks out
    uint32_t capacity;
    uint32_t blockBytes;
    uint32_t cls;
    bool listed;
    Arena *arena; // where the span's 64 KiB came from
};
static_assert(sizeof(Span) <= kSpanHeader);

class SpinLock {
public:
    void lock()
    {
        while (held_.exchange(true, std::memory_order_acquire)) {
            for (unsigned spins = 0; held_.load(std::memory_order_relaxed); ++spins) {
                if (spins > 64) std::this_thread::yield();
            }
        }
    }
    void unlock() { held_.store(false, std::memory_order_release); }

private:
    std::atomic<bool> held_{false};
};

struct alignas(64) SizeClass {
    SpinLock lock;
    Span *spans = nullptr; // spans with room; blocks come from the first
    // Written under the lock, read without it by the live count.
    std::atomic<uint32_t> live{0};
};

SizeClass gClasses[kClassBytes.size()];
std::atomic<uint32_t> gLargeLive{0};

// ---- which 64 KiB regions are spans -------------------------------------------

// Two levels of one byte per 64 KiB region: 4096 regions (256 MiB) per leaf,
// and as many leaves as a 47-bit address space needs (16 on a 32-bit system).
// Small leaves keep the map's own memory to a few KiB.
constexpr unsigned kLeafShift = 12;
constexpr std::size_t kLeafCount = std::size_t{1} << kLeafShift;
constexpr unsigned kAddressBits = sizeof(void *) == 4 ? 32 : 47;
constexpr std::size_t kRootCount = std::size_t{1} << (kAddressBits - kSpanShift - kLeafShift);

struct Leaf {
    std::atomic<uint8_t> isSpan[kLeafCount];
};
std::atomic<Leaf *> gRoot[kRootCount];

std::atomic<uint8_t> *mapEntry(const void *address)
{
    const uintptr_t region = reinterpret_cast<uintptr_t>(address) >> kSpanShift;
    const uintptr_t root = region >> kLeafShift;
    if (root >= kRootCount) return nullptr;
    Leaf *leaf = gRoot[root].load(std::memory_order_acquire);
    return leaf != nullptr ? &leaf->isSpan[region & (kLeafCount - 1)] : nullptr;
}

[[gnu::noinline]] std::atomic<uint8_t> *makeMapEntry(const void *address)
{
    const uintptr_t region = reinterpret_cast<uintptr_t>(address) >> kSpanShift;
    const uintptr_t root = region >> kLeafShift;
    if (root >= kRootCount) return nullptr;
    Leaf *leaf = gRoot[root].load(std::memory_order_acquire);
    if (leaf == nullptr) {
        // Zeroed storage is a leaf with no spans. It lives as long as the
        // process, like the map.
        auto *made = static_cast<Leaf *>(std::calloc(1, sizeof(Leaf)));
        if (made == nullptr) return nullptr;
        if (gRoot[root].compare_exchange_strong(leaf, made, std::memory_order_acq_rel)) {
            leaf = made;
        } else {
            std::free(made);
        }
    }
    return &leaf->isSpan[region & (kLeafCount - 1)];
}

Span *spanOf(const void *block)
{
    const std::atomic<uint8_t> *entry = mapEntry(block);
    if (entry == nullptr || entry->load(std::memory_order_relaxed) == 0) return nullptr;
    const uintptr_t offset = reinterpret_cast<uintptr_t>(block) & (kSpanBytes - 1);
    return reinterpret_cast<Span *>(const_cast<char *>(static_cast<const char *>(block)) - offset);
}

// ---- where spans come from -------------------------------------------------------

// Spans are cut from 4 MiB arenas taken from malloc (with one span's worth of
// slack, so that 64 aligned spans fit). Asking malloc for each aligned span on
// its own would cost it twice the span in address space and bookkeeping. An
// arena whose spans are all back goes back to malloc, except the first, the
// home arena: it stays, and so do the spans that a class keeps in it when
// they empty, so that a program that makes and drops a node over and over
// does not make and drop a span each time.
constexpr unsigned kSpansPerArena = 64;

struct Arena {
    void *raw;            // what malloc gave
    unsigned char *first; // the first aligned span
    uint64_t idle;        // one bit per span not in use
    Arena *next;          // arenas in the order they were made, home first
};

SpinLock gArenaLock;
Arena *gHome = nullptr;                  // head of the list, under gArenaLock
std::atomic<Arena *> gHomeSeen{nullptr}; // the same, for the classes' locks

void *takeRegion(Arena *&owner)
{
    gArenaLock.lock();
    Arena **link = &gHome;
    while (*link != nullptr && (*link)->idle == 0) link = &(*link)->next;
    Arena *arena = *link;
    if (arena == nullptr) {
        void *raw = std::malloc(kSpanBytes * (kSpansPerArena + 1));
        arena = raw != nullptr ? static_cast<Arena *>(std::malloc(sizeof(Arena))) : nullptr;
        if (arena == nullptr) {
            std::free(raw);
            gArenaLock.unlock();
            return nullptr;
        }
        const uintptr_t misalign = reinterpret_cast<uintptr_t>(raw) & (kSpanBytes - 1);
        unsigned char *start = static_cast<unsigned char *>(raw) + (misalign ? kSpanBytes - misalign : 0);
        *arena = Arena{raw, start, ~uint64_t{0}, nullptr};
        *link = arena;
        if (arena == gHome) gHomeSeen.store(arena, std::memory_order_relaxed);
    }
    unsigned index = 0;
    while ((arena->idle >> index & 1) == 0) ++index;
    arena->idle &= ~(uint64_t{1} << index);
    gArenaLock.unlock();
    owner = arena;
    return arena->first + std::size_t{index} * kSpanBytes;
}

void returnRegion(Arena *arena, void *region)
{
    const auto index = static_cast<unsigned>((static_cast<unsigned char *>(region) - arena->first) / kSpanBytes);
    gArenaLock.lock();
    arena->idle |= uint64_t{1} << index;
    if (arena->idle == ~uint64_t{0} && arena != gHome) {
        Arena **link = &gHome;
        while (*link != arena) link = &(*link)->next;
        *link = arena->next;
        std::free(arena->raw);
        std::free(arena);
    }
    gArenaLock.unlock();
}

// ---- spans -----------------------------------------------------------------------

void unlist(SizeClass &sizeClass, Span *span)
{
    (span->prev != nullptr ? span->prev->next : sizeClass.spans) = span->next;
    if (span->next != nullptr) span->next->prev = span->prev;
    span->listed = false;
}

void listFirst(SizeClass &sizeClass, Span *span)
{
    span->prev = nullptr;
    span->next = sizeClass.spans;
    if (span->next != nullptr) span->next->prev = span;
    sizeClass.spans = span;
    span->listed = true;
}

[[gnu::noinline]] Span *newSpan(SizeClass &sizeClass, uint32_t cls)
{
    Arena *arena = nullptr;
    void *region = takeRegion(arena);
    if (region == nullptr) return nullptr;
    std::atomic<uint8_t> *entry = makeMapEntry(region);
    if (entry == nullptr) {
        returnRegion(arena, region);
        return nullptr;
    }
    auto *span = new (region) Span{};
    span->arena = arena;
    span->fresh = static_cast<unsigned char *>(region) + kSpanHeader;
    span->blockBytes = kClassBytes[cls];
    span->capacity = static_cast<uint32_t>((kSpanBytes - kSpanHeader) / span->blockBytes);
    span->cls = cls;
    entry->store(1, std::memory_order_relaxed);
    listFirst(sizeClass, span);
    return span;
}

[[gnu::noinline]] void dropSpan(SizeClass &sizeClass, Span *span)
{
    unlist(sizeClass, span);
    mapEntry(span)->store(0, std::memory_order_relaxed);
    Arena *arena = span->arena;
    span->~Span();
    returnRegion(arena, span);
}

void *takeSmall(uint32_t size)
{
    const uint32_t cls = kClassOfQuarter[(size + 3) / 4];
    SizeClass &sizeClass = gClasses[cls];
    sizeClass.lock.lock();
    Span *span = sizeClass.spans;
    if (span == nullptr && (span = newSpan(sizeClass, cls)) == nullptr) {
        sizeClass.lock.unlock();
        return nullptr;
    }
    void *block = span->free;
    if (block != nullptr) {
        span->free = *static_cast<void **>(block);
    } else {
        block = span->fresh;
        span->fresh += span->blockBytes;
    }
    if (++span->used == span->capacity) unlist(sizeClass, span);
    sizeClass.live.store(sizeClass.live.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    sizeClass.lock.unlock();
    return block;
}

void giveSmall(Span *span, void *block)
{
    SizeClass &sizeClass = gClasses[span->cls];
    sizeClass.lock.lock();
    *static_cast<void **>(block) = span->free;
    span->free = block;
    if (!span->listed) listFirst(sizeClass, span);
    const bool alone = span->prev == nullptr && span->next == nullptr;
    if (--span->used == 0 && (!alone || span->arena != gHomeSeen.load(std::memory_order_relaxed)))
        dropSpan(sizeClass, span);
    sizeClass.live.store(sizeClass.live.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
    sizeClass.lock.unlock();
}

bool spansWanted()
{
#if defined(REZADE9_CHECKED_HEAP) || defined(REZADE9_PLAIN_HEAP)
    return false;
#else
    // REZADE9_PLAIN_HEAP=1 asks for malloc; =0 asks for spans even under
    // valgrind, whose callgrind tool profiles them.
    if (const char *plain = std::getenv("REZADE9_PLAIN_HEAP"); plain != nullptr && plain[0] != '\0')
        return plain[0] == '0' && plain[1] == '\0';
#if defined(REZADE9_HAS_VALGRIND)
    return !RUNNING_ON_VALGRIND;
#else
    return true;
#endif
#endif
}

bool useSpans()
{
    static const bool wanted = spansWanted();
    return wanted;
}

} // namespace

void *heapAllocate(uint32_t size)
{
    if (size <= kLargestSmall && useSpans()) {
        if (void *block = takeSmall(size)) return block;
    }
    void *block = std::malloc(size);
    if (block != nullptr) gLargeLive.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void heapRelease(void *block)
{
    if (block == nullptr) return;
    // A span's page map entry is set before its first block is handed out,
    // so a block from a span always finds it, whichever thread frees it.
    if (Span *span = spanOf(block)) {
        giveSmall(span, block);
        return;
    }
    gLargeLive.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

uint32_t heapLiveBlocks()
{
    uint32_t live = gLargeLive.load(std::memory_order_relaxed);
    for (const SizeClass &sizeClass : gClasses) live += sizeClass.live.load(std::memory_order_relaxed);
    return live;
}

} // namespace rezade9::impl
