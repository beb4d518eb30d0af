// The heap behind every block that rezade9 hands out: blocks up to 1 KiB from
// regions that each thread cuts for itself, larger ones straight from the C
// heap.
//
// A tree node costs up to three small blocks (its record, its payload and,
// once it has many children, its children's array), made one after another,
// so small blocks decide both the speed and the memory of a tree. Here they
// carry no header and lie side by side in the order they were made:
//
// - A region is 64 KiB aligned to 64 KiB, so a block finds its region (and
//   the region's 64-byte header) by masking its address. A map of its blocks
//   holds per 8 bytes a start bit (a block, live or released, begins here)
//   and a live bit. A block's size is the distance to the next start, and
//   whether it is live is one bit: a release of a block that is not live is
//   refused, not obeyed.
// - Each thread has a heap of its own: a cursor that cuts blocks from its
//   current region, and per size (multiples of 8 bytes) a list of released
//   blocks, each naming the next in its first word, which are handed out
//   again first. Neither takes a lock: only the thread touches them.
// - A block released by another thread than the one whose region holds it
//   is marked pending (a bit of its own, so that releasing it twice is still
//   refused) and pushed onto the owning heap's inbox, which that heap empties
//   when its region runs out.
// - A region whose blocks are all released goes back once such regions hold
//   at least half of the bytes on the heap's lists (and more than the maps
//   of its other regions): the lists are then rebuilt from those regions'
//   maps, which writes the links of the blocks kept instead of following
//   every link, and costs no more than the releases that filled them.
// - When a thread ends, its heap joins a pool that the next new thread takes
//   over whole; meanwhile its blocks are released under the pool's lock. A
//   thread past its end (a destructor of another thread-local object) uses
//   one shared heap under that lock.
// - Regions are cut from 4 MiB arenas that come from malloc, whose first
//   three regions hold the maps of the others. An arena whose regions are all
//   back goes back too, except the first, which stays for the life of the
//   process, so that a program that makes and drops a node over and over does
//   not make and drop an arena each time.
// - A page map of the address space (one byte per 64 KiB) tells which blocks
//   lie in regions; every other block came from malloc.
//
// Blocks are aligned as a C heap's blocks of their size would need: sizes of
// up to 8 and of 17 to 24 bytes to 8, every other size, rounded up to a
// multiple of 16, to 16. A 4-byte class for 32-bit systems would halve the
// map's granule and double its size, which costs as much as it saves.
//
// Memory checkers see each block: under AddressSanitizer released blocks and
// the uncut part of a region are poisoned, and blocks left at exit are
// reported as leaks; under valgrind every block is announced as malloc's
// would be (REZADE9_PLAIN_HEAP=0 in the environment turns that off, for
// callgrind profiles); ThreadSanitizer checks the heap's own synchronisation.
// With REZADE9_PLAIN_HEAP=1, or the build option of that name, every block
// comes from malloc on its own.
#include "impl.hpp"

#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#if defined(_WIN32)
#include <malloc.h>
#endif
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define REZADE9_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define REZADE9_ASAN 1
#endif
#endif
#if defined(REZADE9_ASAN)
#include <sanitizer/asan_interface.h>
#include <unistd.h>
#define REZADE9_UNCHECKED __attribute__((no_sanitize_address))
#else
#define REZADE9_UNCHECKED
#endif
#if defined(__has_include) && !defined(_WIN32)
#if __has_include(<valgrind/memcheck.h>)
#include <sys/mman.h>
#include <valgrind/memcheck.h>
#define REZADE9_VALGRIND 1
#endif
#endif
#if defined(__ELF__)
#define REZADE9_THREAD_LOCAL [[gnu::tls_model("initial-exec")]] constinit thread_local
#else
#define REZADE9_THREAD_LOCAL constinit thread_local
#endif

namespace rezade9::impl {
namespace {

constexpr unsigned kRegionShift = 16;
constexpr std::size_t kRegionBytes = std::size_t{1} << kRegionShift;
constexpr std::size_t kGranule = 8;
constexpr std::size_t kGranules = kRegionBytes / kGranule;
constexpr uint32_t kLargestSmall = 1024;
// A class is a block size in granules: 1 to 128.
constexpr unsigned kClasses = kLargestSmall / kGranule + 1;

// The class of every size in granules: up to 24 bytes as it is, past that
// rounded up to a multiple of 16 bytes, as the alignment promise needs.
constexpr auto kClassOf = [] {
    std::array<uint8_t, kClasses> table{};
    for (unsigned granules = 0; granules < kClasses; ++granules)
        table[granules] = static_cast<uint8_t>(granules == 0 ? 1 : granules <= 3 ? granules : (granules + 1) & ~1u);
    return table;
}();
constexpr bool alignsTo16(unsigned cls) { return cls % 2 == 0; }

// The block map: per granule a start bit and, just above it, a live bit.
using Word = std::uintptr_t;
constexpr unsigned kWordBits = sizeof(Word) * 8;
constexpr unsigned kPerWord = kWordBits / 2;
constexpr Word kStartBits = ~Word{0} / 3;
constexpr Word startBit(std::size_t granule) { return Word{1} << (2 * (granule % kPerWord)); }
constexpr Word liveBit(std::size_t granule) { return Word{2} << (2 * (granule % kPerWord)); }
constexpr Word pendingBit(std::size_t granule) { return Word{1} << (granule % kWordBits); }

struct Heap;
struct Arena;

// A region's map lies apart from its blocks (see Arena), so that the blocks
// of neighbouring regions lie almost side by side, as they were made: a gap
// of a few KiB every 64 KiB slows a walk through them by half.
struct Map {
    std::atomic<Word> blocks[kGranules / kPerWord];
    std::atomic<Word> pending[kGranules / kWordBits]; // released by another thread, not yet taken back
};

struct Region {
    Heap *owner;
    Arena *arena;
    Map *map;
    Region *prev; // neighbours among the owner's regions
    Region *next;
    unsigned char *end; // where cutting stopped, once the region is not the owner's current one
    uint32_t live;      // blocks out
    std::atomic<uint32_t> pendingCount{0};
};
constexpr std::size_t kHeaderBytes = 64;
static_assert(sizeof(Region) <= kHeaderBytes);

Region *regionOf(const void *block)
{
    const uintptr_t offset = reinterpret_cast<uintptr_t>(block) & (kRegionBytes - 1);
    return reinterpret_cast<Region *>(const_cast<unsigned char *>(static_cast<const unsigned char *>(block)) - offset);
}
unsigned char *bodyOf(Region *region) { return reinterpret_cast<unsigned char *>(region) + kHeaderBytes; }
void *blockAt(Region *region, std::size_t granule)
{
    return reinterpret_cast<unsigned char *>(region) + granule * kGranule;
}
std::size_t granuleOf(const Region *region, const void *block)
{
    return (reinterpret_cast<uintptr_t>(block) - reinterpret_cast<uintptr_t>(region)) / kGranule;
}

struct Heap {
    void *free[kClasses]{}; // released blocks, each naming the next in its first word
    unsigned char *cursor = nullptr;
    unsigned char *limit = nullptr;
    Region *current = nullptr;
    Region *regions = nullptr; // every region of the heap
    std::size_t regionCount = 0;
    std::size_t freeBytes = 0;   // on the lists
    std::size_t emptyBytes = 0;  // cut in regions but the current one with no block out: all on the lists
    std::atomic<void *> inbox{}; // released by other threads, each naming the next
    // Written by the owning thread alone (or under the pool's lock), read by
    // the live count.
    std::atomic<uint32_t> made{0};
    std::atomic<uint32_t> released{0};
    std::atomic<bool> abandoned{false};
    Heap *nextAbandoned = nullptr;
    Heap *nextHeap = nullptr; // every heap ever made; none is ever freed
};

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

void countOne(std::atomic<uint32_t> &counter)
{
    counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

// ---- what the checkers are told ----------------------------------------------------

#if defined(REZADE9_VALGRIND)
bool gAnnounce = false; // set once, before the first region
#endif

// The first word of a released block, which the checkers would otherwise
// report as a use after release.
#if defined(REZADE9_VALGRIND)
[[gnu::noinline]] void *announcedLinkOf(void *block)
{
    VALGRIND_MAKE_MEM_DEFINED(block, sizeof(void *));
    void *next = *static_cast<void **>(block);
    VALGRIND_MAKE_MEM_NOACCESS(block, sizeof(void *));
    return next;
}

[[gnu::noinline]] void announcedSetLink(void *block, void *next)
{
    VALGRIND_MAKE_MEM_UNDEFINED(block, sizeof(void *));
    *static_cast<void **>(block) = next;
    VALGRIND_MAKE_MEM_NOACCESS(block, sizeof(void *));
}
#endif

REZADE9_UNCHECKED inline void *linkOf(void *block)
{
#if defined(REZADE9_VALGRIND)
    if (gAnnounce) return announcedLinkOf(block);
#endif
    return *static_cast<void **>(block);
}

REZADE9_UNCHECKED inline void setLink(void *block, void *next)
{
#if defined(REZADE9_VALGRIND)
    if (gAnnounce) return announcedSetLink(block, next);
#endif
    *static_cast<void **>(block) = next;
}

void handOut(void *block, uint32_t size)
{
#if defined(REZADE9_ASAN)
    ASAN_UNPOISON_MEMORY_REGION(block, size);
#endif
#if defined(REZADE9_VALGRIND)
    if (gAnnounce) VALGRIND_MALLOCLIKE_BLOCK(block, size, 0, 0);
#endif
    static_cast<void>(block), static_cast<void>(size);
}

void takeBack(void *block, std::size_t bytes, bool announced)
{
#if defined(REZADE9_ASAN)
    ASAN_POISON_MEMORY_REGION(block, bytes);
#endif
#if defined(REZADE9_VALGRIND)
    if (gAnnounce && !announced) VALGRIND_FREELIKE_BLOCK(block, 0);
#endif
    static_cast<void>(block), static_cast<void>(bytes), static_cast<void>(announced);
}

void hideRoom(void *start, std::size_t bytes)
{
#if defined(REZADE9_ASAN)
    ASAN_POISON_MEMORY_REGION(start, bytes);
#endif
#if defined(REZADE9_VALGRIND)
    if (gAnnounce) VALGRIND_MAKE_MEM_NOACCESS(start, bytes);
#endif
    static_cast<void>(start), static_cast<void>(bytes);
}

void showRoom(void *start, std::size_t bytes)
{
#if defined(REZADE9_ASAN)
    ASAN_UNPOISON_MEMORY_REGION(start, bytes);
#endif
#if defined(REZADE9_VALGRIND)
    if (gAnnounce) VALGRIND_MAKE_MEM_UNDEFINED(start, bytes);
#endif
    static_cast<void>(start), static_cast<void>(bytes);
}

// Memory for the heap's own use: the arenas and its bookkeeping. Under
// valgrind it comes from the system, so that it is not counted among the
// program's blocks at exit; elsewhere from malloc, where a program's
// measure of its heap sees it.
void *systemAllocate(std::size_t bytes, bool zeroed)
{
#if defined(REZADE9_VALGRIND)
    if (gAnnounce) {
        void *memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return memory != MAP_FAILED ? memory : nullptr;
    }
#endif
    return zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
}

void systemRelease(void *memory, std::size_t bytes)
{
#if defined(REZADE9_VALGRIND)
    if (gAnnounce) {
        munmap(memory, bytes);
        return;
    }
#endif
    static_cast<void>(bytes);
    std::free(memory);
}

// ---- which 64 KiB regions are ours -------------------------------------------------

constexpr uint8_t kForeign = 0;
constexpr uint8_t kInUse = 1;
constexpr uint8_t kIdle = 2;

// Two levels of one byte per 64 KiB: 4096 regions (256 MiB) per leaf, and as
// many leaves as a 47-bit address space needs (16 on a 32-bit system).
constexpr unsigned kLeafShift = 12;
constexpr std::size_t kLeafCount = std::size_t{1} << kLeafShift;
constexpr unsigned kAddressBits = sizeof(void *) == 4 ? 32 : 47;
constexpr std::size_t kRootCount = std::size_t{1} << (kAddressBits - kRegionShift - kLeafShift);

struct Leaf {
    std::atomic<uint8_t> kind[kLeafCount];
};
std::atomic<Leaf *> gRoot[kRootCount];

uint8_t kindOf(const void *address)
{
    const uintptr_t region = reinterpret_cast<uintptr_t>(address) >> kRegionShift;
    const uintptr_t root = region >> kLeafShift;
    if (root >= kRootCount) return kForeign;
    const Leaf *leaf = gRoot[root].load(std::memory_order_acquire);
    return leaf != nullptr ? leaf->kind[region & (kLeafCount - 1)].load(std::memory_order_relaxed) : kForeign;
}

std::atomic<uint8_t> *mapEntry(const void *address)
{
    const uintptr_t region = reinterpret_cast<uintptr_t>(address) >> kRegionShift;
    const uintptr_t root = region >> kLeafShift;
    if (root >= kRootCount) return nullptr;
    Leaf *leaf = gRoot[root].load(std::memory_order_acquire);
    if (leaf == nullptr) {
        // Zeroed storage is a leaf of foreign regions. It lives as long as
        // the process, like the map.
        auto *made = static_cast<Leaf *>(systemAllocate(sizeof(Leaf), true));
        if (made == nullptr) return nullptr;
        if (gRoot[root].compare_exchange_strong(leaf, made, std::memory_order_acq_rel)) {
            leaf = made;
        } else {
            systemRelease(made, sizeof(Leaf));
        }
    }
    return &leaf->kind[region & (kLeafCount - 1)];
}

void mark(const void *region, uint8_t kind) { mapEntry(region)->store(kind, std::memory_order_relaxed); }

// ---- where regions come from -------------------------------------------------------

// An arena is 64 regions from one malloc (with one region's worth of slack,
// so that 64 aligned regions fit): asking malloc for each aligned region on
// its own would cost twice the region in address space and bookkeeping. Its
// first regions hold the maps of all of them.
constexpr unsigned kRegionsPerArena = 64;
constexpr unsigned kMapRegions = (kRegionsPerArena * sizeof(Map) + kRegionBytes - 1) / kRegionBytes;
constexpr uint64_t kAllIdle = ~uint64_t{0} << kMapRegions;

struct Arena {
    void *raw;            // what malloc gave
    unsigned char *first; // the first aligned region
    uint64_t idle;        // one bit per region not in use
    Arena *next;          // arenas in the order they were made, the first one first
};

SpinLock gArenaLock;
Arena *gArenas = nullptr;

constexpr std::size_t kArenaBytes = kRegionBytes * (kRegionsPerArena + 1);

void dropArena(Arena *arena)
{
    systemRelease(arena->raw, kArenaBytes);
    systemRelease(arena, sizeof(Arena));
}

Arena *makeArena()
{
    void *raw = systemAllocate(kArenaBytes, false);
    auto *arena = raw != nullptr ? static_cast<Arena *>(systemAllocate(sizeof(Arena), false)) : nullptr;
    if (arena == nullptr) {
        if (raw != nullptr) systemRelease(raw, kArenaBytes);
        return nullptr;
    }
    const uintptr_t misalign = reinterpret_cast<uintptr_t>(raw) & (kRegionBytes - 1);
    unsigned char *first = static_cast<unsigned char *>(raw) + (misalign != 0 ? kRegionBytes - misalign : 0);
    *arena = Arena{raw, first, kAllIdle, nullptr};
    for (unsigned index = 0; index < kRegionsPerArena; ++index) {
        if (mapEntry(first + index * kRegionBytes) == nullptr) {
            dropArena(arena);
            return nullptr;
        }
    }
    for (unsigned index = 0; index < kRegionsPerArena; ++index) mark(first + index * kRegionBytes, kIdle);
    return arena;
}

Region *takeRegion(Heap &heap)
{
    gArenaLock.lock();
    Arena **link = &gArenas;
    while (*link != nullptr && (*link)->idle == 0) link = &(*link)->next;
    if (*link == nullptr && (*link = makeArena()) == nullptr) {
        gArenaLock.unlock();
        return nullptr;
    }
    Arena *arena = *link;
    unsigned index = 0;
    while ((arena->idle >> index & 1) == 0) ++index;
    arena->idle &= ~(uint64_t{1} << index);
    unsigned char *memory = arena->first + std::size_t{index} * kRegionBytes;
    mark(memory, kInUse);
    gArenaLock.unlock();
    auto *region = new (memory) Region{};
    region->owner = &heap;
    region->arena = arena;
    region->map = new (reinterpret_cast<Map *>(arena->first) + index) Map{};
    hideRoom(bodyOf(region), kRegionBytes - kHeaderBytes);
    return region;
}

void returnRegion(Region *region)
{
    Arena *arena = region->arena;
    const auto index = static_cast<unsigned>((reinterpret_cast<unsigned char *>(region) - arena->first) / kRegionBytes);
    showRoom(bodyOf(region), kRegionBytes - kHeaderBytes);
    region->~Region();
    gArenaLock.lock();
    mark(region, kIdle);
    arena->idle |= uint64_t{1} << index;
    if (arena->idle == kAllIdle && arena != gArenas) {
        Arena **link = &gArenas;
        while (*link != arena) link = &(*link)->next;
        *link = arena->next;
        for (unsigned each = 0; each < kRegionsPerArena; ++each) mark(arena->first + each * kRegionBytes, kForeign);
        dropArena(arena);
    }
    gArenaLock.unlock();
}

// ---- a heap's regions and lists ----------------------------------------------------

// Granules from `granule` to the next block's start, or to where cutting
// stopped; `bits` is the map word that holds `granule`.
[[gnu::noinline]] unsigned granulesFurther(const Heap &heap, const Region *region, std::size_t granule);

inline unsigned granulesAt(const Heap &heap, const Region *region, std::size_t granule, Word bits)
{
    const Word later = (bits & kStartBits) >> (2 * (granule % kPerWord)) >> 2;
    if (later != 0) return 1 + static_cast<unsigned>(std::countr_zero(later)) / 2;
    return granulesFurther(heap, region, granule);
}

unsigned granulesFurther(const Heap &heap, const Region *region, std::size_t granule)
{
    const std::size_t end = granuleOf(region, region == heap.current ? heap.cursor : region->end);
    for (std::size_t next = (granule / kPerWord + 1) * kPerWord; next < end; next += kPerWord) {
        const Word starts = region->map->blocks[next / kPerWord].load(std::memory_order_relaxed) & kStartBits;
        if (starts != 0) {
            const std::size_t start = next + static_cast<unsigned>(std::countr_zero(starts)) / 2;
            return static_cast<unsigned>((start < end ? start : end) - granule);
        }
    }
    return static_cast<unsigned>(end - granule);
}

void push(Heap &heap, unsigned cls, void *block)
{
    setLink(block, heap.free[cls]);
    heap.free[cls] = block;
    heap.freeBytes += cls * kGranule;
}

std::size_t cutBytes(Region *region) { return static_cast<std::size_t>(region->end - bodyOf(region)); }

void link(Heap &heap, Region *region)
{
    region->prev = nullptr;
    region->next = heap.regions;
    if (region->next != nullptr) region->next->prev = region;
    heap.regions = region;
    ++heap.regionCount;
}

void unlink(Heap &heap, Region *region)
{
    (region->prev != nullptr ? region->prev->next : heap.regions) = region->next;
    if (region->next != nullptr) region->next->prev = region->prev;
    --heap.regionCount;
}

// Puts a region's released blocks on the lists, read from its map.
void relist(Heap &heap, Region *region)
{
    const std::size_t first = granuleOf(region, bodyOf(region));
    const std::size_t end = granuleOf(region, region == heap.current ? heap.cursor : region->end);
    std::size_t released = end; // the released block being measured, if any
    for (std::size_t word = first / kPerWord; word * kPerWord < end; ++word) {
        const Word bits = region->map->blocks[word].load(std::memory_order_relaxed);
        for (Word starts = bits & kStartBits; starts != 0; starts &= starts - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(starts));
            const std::size_t start = word * kPerWord + bit / 2;
            if (released != end) push(heap, static_cast<unsigned>(start - released), blockAt(region, released));
            released = (bits >> (bit + 1) & 1) == 0 ? start : end;
        }
    }
    if (released != end) push(heap, static_cast<unsigned>(end - released), blockAt(region, released));
}

// Gives back every region with no block out (the current one too, when the
// whole heap has none), and rebuilds the lists from the other regions' maps:
// writing the survivors' links costs less than following every link.
[[gnu::noinline]] void sweep(Heap &heap)
{
    Region *current = heap.current;
    const bool dropCurrent = current != nullptr && current->live == 0;
    for (void *&head : heap.free) head = nullptr;
    heap.freeBytes = 0;
    heap.emptyBytes = 0;
    for (Region *region = heap.regions; region != nullptr;) {
        Region *next = region->next;
        if (region->live == 0 && (region != current || dropCurrent)) {
            unlink(heap, region);
            returnRegion(region);
        } else {
            relist(heap, region);
        }
        region = next;
    }
    if (dropCurrent) {
        heap.current = nullptr;
        heap.cursor = heap.limit = nullptr;
    }
}

// A sweep reads the map of every region it keeps and writes the link of
// every released block they hold: it waits until the empty regions hold at
// least half of the bytes on the lists and of the heap's regions, so that
// what it gives back pays for what it reads and writes.
constexpr std::size_t kBodyBytes = kRegionBytes - kHeaderBytes;

// A region's last block is back.
[[gnu::noinline]] void emptied(Heap &heap, Region *region)
{
    if (region != heap.current) heap.emptyBytes += cutBytes(region);
    const std::size_t worth = 2 * heap.emptyBytes;
    if (heap.emptyBytes != 0 && worth >= heap.freeBytes && worth >= heap.regionCount * kBodyBytes) sweep(heap);
}

// Puts a released block on its list: `granule` is its place in `region`.
inline void settle(Heap &heap, Region *region, void *block, std::size_t granule, Word bits, bool announced)
{
    const unsigned cls = granulesAt(heap, region, granule, bits);
    takeBack(block, cls * kGranule, announced);
    push(heap, cls, block);
    if (--region->live == 0) emptied(heap, region);
}

// Takes back the blocks that other threads released.
[[gnu::noinline]] void drain(Heap &heap)
{
    void *block = heap.inbox.exchange(nullptr, std::memory_order_acquire);
    while (block != nullptr) {
        void *next = linkOf(block);
        Region *region = regionOf(block);
        const std::size_t granule = granuleOf(region, block);
        std::atomic<Word> &word = region->map->blocks[granule / kPerWord];
        const Word bits = word.load(std::memory_order_relaxed);
        word.store(bits & ~liveBit(granule), std::memory_order_relaxed);
        region->map->pending[granule / kWordBits].fetch_and(~pendingBit(granule), std::memory_order_relaxed);
        region->pendingCount.fetch_sub(1, std::memory_order_relaxed);
        settle(heap, region, block, granule, bits, true);
        block = next;
    }
}

[[gnu::always_inline]] inline void *popFree(Heap &heap, unsigned cls)
{
    void *block = heap.free[cls];
    if (block == nullptr) return nullptr;
    heap.free[cls] = linkOf(block);
    heap.freeBytes -= cls * kGranule;
    Region *region = regionOf(block);
    const std::size_t granule = granuleOf(region, block);
    std::atomic<Word> &word = region->map->blocks[granule / kPerWord];
    word.store(word.load(std::memory_order_relaxed) | liveBit(granule), std::memory_order_relaxed);
    if (region->live++ == 0 && region != heap.current) heap.emptyBytes -= cutBytes(region);
    return block;
}

void *cut(Heap &heap, unsigned cls);
void *take(Heap &heap, uint32_t size);

// The current region has no room: blocks that other threads gave back, or a
// new region.
[[gnu::noinline]] void *refill(Heap &heap, unsigned cls)
{
    if (heap.inbox.load(std::memory_order_relaxed) != nullptr) {
        drain(heap);
        if (void *block = popFree(heap, cls)) return block;
    }
    Region *region = takeRegion(heap);
    if (region == nullptr) return nullptr;
    link(heap, region);
    Region *old = heap.current;
    if (old != nullptr) old->end = heap.cursor;
    heap.current = region;
    heap.cursor = bodyOf(region);
    heap.limit = reinterpret_cast<unsigned char *>(region) + kRegionBytes;
    void *block = cut(heap, cls);
    if (old != nullptr && old->live == 0) emptied(heap, old);
    return block;
}

// Cuts a block from the current region, after an 8-byte block where the
// class needs 16-byte alignment and the cursor has 8.
[[gnu::always_inline]] inline void *cut(Heap &heap, unsigned cls)
{
    const std::size_t bytes = cls * kGranule;
    unsigned char *at = heap.cursor;
    const std::size_t skip = alignsTo16(cls) ? reinterpret_cast<uintptr_t>(at) & 8 : 0;
    if (static_cast<std::size_t>(heap.limit - at) < skip + bytes) return refill(heap, cls);
    Region *region = heap.current;
    std::size_t granule = granuleOf(region, at);
    std::atomic<Word> *word = &region->map->blocks[granule / kPerWord];
    if (skip != 0) {
        word->store(word->load(std::memory_order_relaxed) | startBit(granule), std::memory_order_relaxed);
        push(heap, 1, at);
        at += skip;
        word = &region->map->blocks[++granule / kPerWord];
    }
    word->store(word->load(std::memory_order_relaxed) | startBit(granule) | liveBit(granule),
                std::memory_order_relaxed);
    heap.cursor = at + bytes;
    ++region->live;
    return at;
}

[[gnu::always_inline]] inline void *take(Heap &heap, uint32_t size)
{
    const unsigned cls = kClassOf[(size + kGranule - 1) / kGranule];
    void *block = popFree(heap, cls);
    if (block == nullptr && (block = cut(heap, cls)) == nullptr) return nullptr;
    countOne(heap.made);
    handOut(block, size);
    return block;
}

// Releases a block of `heap`'s own; false when it is not live.
[[gnu::always_inline]] inline bool giveBack(Heap &heap, Region *region, void *block)
{
    const std::size_t granule = granuleOf(region, block);
    std::atomic<Word> &word = region->map->blocks[granule / kPerWord];
    const Word bits = word.load(std::memory_order_relaxed);
    if ((bits & liveBit(granule)) == 0) return false;
    if (region->pendingCount.load(std::memory_order_relaxed) != 0 &&
        (region->map->pending[granule / kWordBits].load(std::memory_order_relaxed) & pendingBit(granule)) != 0)
        return false;
    word.store(bits & ~liveBit(granule), std::memory_order_relaxed);
    countOne(heap.released);
    settle(heap, region, block, granule, bits, false);
    return true;
}

// ---- threads -----------------------------------------------------------------------

// Under gPoolLock: heaps whose threads ended, and the shared heap of threads
// past their end (never in the pool: abandoned for good).
SpinLock gPoolLock;
Heap *gPool = nullptr;
constinit Heap gShared;
std::atomic<Heap *> gHeaps{nullptr};
std::atomic<uint32_t> gLargeLive{0};
std::atomic<uint32_t> gStrayReleases{0}; // by threads without a heap

REZADE9_THREAD_LOCAL Heap *tHeap = nullptr;
REZADE9_THREAD_LOCAL bool tEnded = false;

bool decideRegions()
{
#if defined(REZADE9_PLAIN_HEAP)
    return false;
#else
    // REZADE9_PLAIN_HEAP=1 asks for malloc; =0 for regions that valgrind is
    // not told about, which callgrind profiles as they run outside it.
    const char *plain = std::getenv("REZADE9_PLAIN_HEAP");
    const bool quiet = plain != nullptr && plain[0] == '0' && plain[1] == '\0';
    if (plain != nullptr && plain[0] != '\0' && !quiet) return false;
#if defined(REZADE9_VALGRIND)
    gAnnounce = RUNNING_ON_VALGRIND != 0 && !quiet;
#endif
    gShared.abandoned.store(true, std::memory_order_relaxed);
    return true;
#endif
}

bool regionsOn()
{
    static const bool on = decideRegions();
    return on;
}

// A thread's heap goes to the pool when the thread ends, its empty regions
// given back.
struct ThreadEnd {
    bool armed = false;
    ThreadEnd() = default;
    ThreadEnd(const ThreadEnd &) = delete;
    ThreadEnd &operator=(const ThreadEnd &) = delete;
    ~ThreadEnd()
    {
        Heap *heap = tHeap;
        tHeap = nullptr;
        tEnded = true;
        if (heap == nullptr) return;
        gPoolLock.lock();
        heap->abandoned.store(true, std::memory_order_release);
        drain(*heap);
        sweep(*heap);
        heap->nextAbandoned = gPool;
        gPool = heap;
        gPoolLock.unlock();
    }
};
thread_local ThreadEnd tEnd;

[[gnu::noinline]] Heap *makeThreadHeap()
{
    if (tEnded || !regionsOn()) return nullptr;
    gPoolLock.lock();
    Heap *heap = gPool;
    if (heap != nullptr) {
        gPool = heap->nextAbandoned;
        heap->abandoned.store(false, std::memory_order_relaxed);
    }
    gPoolLock.unlock();
    if (heap == nullptr) {
        void *memory = systemAllocate(sizeof(Heap), true);
        if (memory == nullptr) return nullptr;
        heap = new (memory) Heap{};
        Heap *head = gHeaps.load(std::memory_order_relaxed);
        do {
            heap->nextHeap = head;
        } while (!gHeaps.compare_exchange_weak(head, heap, std::memory_order_release, std::memory_order_relaxed));
    }
    tHeap = heap;
    tEnd.armed = true;
    return heap;
}

// A block released by a thread whose heap does not own it.
[[gnu::noinline]] bool giveBackElsewhere(Region *region, void *block)
{
    Heap *owner = region->owner;
    if (owner->abandoned.load(std::memory_order_acquire)) {
        gPoolLock.lock();
        if (owner->abandoned.load(std::memory_order_relaxed)) {
            const bool released = giveBack(*owner, region, block);
            gPoolLock.unlock();
            return released;
        }
        gPoolLock.unlock();
    }
    const std::size_t granule = granuleOf(region, block);
    if ((region->map->blocks[granule / kPerWord].load(std::memory_order_relaxed) & liveBit(granule)) == 0 ||
        (region->map->pending[granule / kWordBits].fetch_or(pendingBit(granule), std::memory_order_relaxed) &
         pendingBit(granule)) != 0)
        return false;
    region->pendingCount.fetch_add(1, std::memory_order_relaxed);
    if (tHeap != nullptr) {
        countOne(tHeap->released);
    } else {
        gStrayReleases.fetch_add(1, std::memory_order_relaxed);
    }
#if defined(REZADE9_VALGRIND)
    if (gAnnounce) VALGRIND_FREELIKE_BLOCK(block, 0);
#endif
    void *head = owner->inbox.load(std::memory_order_relaxed);
    do {
        setLink(block, head);
    } while (!owner->inbox.compare_exchange_weak(head, block, std::memory_order_release, std::memory_order_relaxed));
    return true;
}

#if defined(REZADE9_ASAN)
// LeakSanitizer sees the arenas, not the blocks in them: blocks still out
// when the process ends are reported here, and fail it as a leak would.
[[gnu::destructor]] void reportBlocksLeft()
{
    uint32_t left = gShared.made.load() - gShared.released.load() - gStrayReleases.load();
    for (const Heap *heap = gHeaps.load(); heap != nullptr; heap = heap->nextHeap)
        left += heap->made.load() - heap->released.load();
    if (left == 0) return;
    std::fprintf(stderr, "rezade9: blocks never released: %u\n", static_cast<unsigned>(left));
    _exit(23);
}
#endif

// Blocks over 1 KiB, and all of the plain heap's, come from the C heap;
// 32-bit Windows aligns its blocks to 8 only.
void *largeAllocate(std::size_t size)
{
#if defined(_WIN32)
    return _aligned_malloc(size, 16);
#else
    return std::malloc(size);
#endif
}

void largeRelease(void *block)
{
#if defined(_WIN32)
    _aligned_free(block);
#else
    std::free(block);
#endif
}

// What the fast paths below leave: a thread's first block, a thread past its
// end, large blocks and the plain heap.
[[gnu::noinline]] void *allocateElsewhere(uint32_t size, bool tried)
{
    if (size <= kLargestSmall && !tried) {
        if (Heap *heap = makeThreadHeap()) {
            if (void *block = take(*heap, size)) return block;
        } else if (tEnded && regionsOn()) {
            gPoolLock.lock();
            void *block = take(gShared, size);
            gPoolLock.unlock();
            if (block != nullptr) return block;
        }
    }
    void *block = largeAllocate(size);
    if (block != nullptr) gLargeLive.fetch_add(1, std::memory_order_relaxed);
    return block;
}

[[gnu::noinline]] bool releaseElsewhere(void *block, uint8_t kind)
{
    if (kind == kIdle) return false;
    gLargeLive.fetch_sub(1, std::memory_order_relaxed);
    largeRelease(block);
    return true;
}

} // namespace

void *heapAllocate(uint32_t size)
{
    Heap *heap = tHeap;
    if (size <= kLargestSmall && heap != nullptr) {
        if (void *block = take(*heap, size)) return block;
        return allocateElsewhere(size, true);
    }
    return allocateElsewhere(size, false);
}

bool heapRelease(void *block)
{
    if (block == nullptr) return true;
    const uint8_t kind = kindOf(block);
    if (kind != kInUse) return releaseElsewhere(block, kind);
    Region *region = regionOf(block);
    Heap *heap = tHeap;
    if (region->owner == heap) return giveBack(*heap, region, block);
    return giveBackElsewhere(region, block);
}

bool heapLive(const void *block)
{
    const uint8_t kind = kindOf(block);
    if (kind != kInUse) return kind == kForeign;
    const Region *region = regionOf(block);
    const std::size_t granule = granuleOf(region, block);
    return (region->map->blocks[granule / kPerWord].load(std::memory_order_relaxed) & liveBit(granule)) != 0 &&
           (region->map->pending[granule / kWordBits].load(std::memory_order_relaxed) & pendingBit(granule)) == 0;
}

uint32_t heapLiveBlocks()
{
    uint32_t live = gLargeLive.load(std::memory_order_relaxed) - gStrayReleases.load(std::memory_order_relaxed) +
                    gShared.made.load(std::memory_order_relaxed) - gShared.released.load(std::memory_order_relaxed);
    for (const Heap *heap = gHeaps.load(std::memory_order_acquire); heap != nullptr; heap = heap->nextHeap)
        live += heap->made.load(std::memory_order_relaxed) - heap->released.load(std::memory_order_relaxed);
    return live;
}

} // namespace rezade9::impl
