// The checked build (option ZODOVAR9_CHECKED): each entry's first line names
// the duties its caller must meet, and a broken one ends the program with one
// line on stderr, `zodovar9: <entry>: <duty>`. Without the check such a call
// reads through none, climbs a cycle of parent links or reads outside a
// children list somewhere later, far from the caller's mistake.
//
// The checks read the node records and ask the system library nothing but
// its diagnostic query of whether a block is live, which changes nothing and
// which the recording library does not log, so up to a broken duty a checked
// build makes exactly the calls the shipped one makes. Without the option
// every macro here is an empty statement: the shipped code is the same as if
// the lines were not there.
#pragma once

#if defined(ZODOVAR9_CHECKED)

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "tree/internal.hpp"

#define ZODOVAR9_EXPECT(cond, function, duty)                                                                          \
    ((cond) ? static_cast<void>(0) : ::zodovar9::checked::broken(function, duty))

namespace zodovar9::checked {

[[noreturn]] inline void broken(const char *function, const char *duty)
{
    std::fprintf(stderr, "zodovar9: %s: %s\n", function, duty);
    std::abort();
}

// `names` spells the pointers as the entry's macro line does ("tree, count"):
// the message names the parameter that is none.
inline void given(const char *function, const char *names, std::initializer_list<const void *> pointers)
{
    int index = 0;
    for (const void *pointer : pointers) {
        if (pointer == nullptr) {
            const char *name = names;
            for (int skip = index; skip > 0; --skip) {
                while (*name != ',') {
                    ++name;
                }
                ++name;
            }
            while (*name == ' ') {
                ++name;
            }
            int length = 0;
            while (name[length] != '\0' && name[length] != ',') {
                ++length;
            }
            char duty[64];
            std::snprintf(duty, sizeof duty, "%.*s is none", length, name);
            broken(function, duty);
        }
        ++index;
    }
}

// The two fields that say where a node stands must agree, or every position
// read from them indexes outside the parent's list.
inline void placed(const char *function, const char *name, const cstd_tree *node)
{
    char duty[96];
    if (node->parent != nullptr && node->indexInParent < 0) {
        std::snprintf(duty, sizeof duty, "%s has a parent but a negative indexInParent", name);
        broken(function, duty);
    }
    if (node->parent == nullptr && node->indexInParent != -1) {
        std::snprintf(duty, sizeof duty, "%s is a root but its indexInParent is not -1", name);
        broken(function, duty);
    }
}

// Attaching a node below itself or below one of its descendants closes the
// parent links into a cycle. The climb from the parent is bounded: where the
// parent's own links already come round, it stops after a lap, by which time
// it has met every node of the cycle.
inline void attachable(const char *function, const cstd_tree *parent, const cstd_tree *child)
{
    given(function, "parent, child", {parent, child});
    placed(function, "child", child);
    ZODOVAR9_EXPECT(parent != child, function, "the child is the parent");
    core::CycleGuard guard(parent);
    for (const cstd_tree *node = parent->parent; node != nullptr; node = node->parent) {
        ZODOVAR9_EXPECT(node != child, function, "the child is an ancestor of the parent");
        if (guard.revisits(node)) {
            return;
        }
    }
}

// A payload written as bytes is read from `value`; a value payload stores it
// as it is (none included), and an `assign` slot decides for itself.
inline void settable(const char *function, const cstd_tree *tree, const void *value)
{
    given(function, "tree", {tree});
    const bool bytes = tree->dataSize != 0 && (tree->vtable == nullptr || tree->vtable->assign == nullptr);
    ZODOVAR9_EXPECT(!bytes || value != nullptr, function, "value is none but the payload is copied from it");
}

// A node deleted already (through another pointer to it) is no longer a
// live block of the heap: asking the heap reads nothing of the released
// record.
inline void live(const char *function, const cstd_tree *node)
{
    uint32_t isLive = 1;
    csys_memory_isBlockLive(node, &isLive);
    ZODOVAR9_EXPECT(isLive != 0, function, "p names a node that is deleted already");
}

} // namespace zodovar9::checked

// Every pointer named is read or written through.
#define ZODOVAR9_EXPECT_GIVEN(function, ...) ::zodovar9::checked::given(function, #__VA_ARGS__, {__VA_ARGS__})
// As ZODOVAR9_EXPECT_GIVEN, and `node`'s stored place is readable.
#define ZODOVAR9_EXPECT_PLACED(function, node, ...)                                                                    \
    (::zodovar9::checked::given(function, #node ", " #__VA_ARGS__, {node, __VA_ARGS__}),                               \
     ::zodovar9::checked::placed(function, #node, node))
#define ZODOVAR9_EXPECT_ATTACHABLE(function, parent, child) ::zodovar9::checked::attachable(function, parent, child)
#define ZODOVAR9_EXPECT_SETTABLE(function, tree, value) ::zodovar9::checked::settable(function, tree, value)
#define ZODOVAR9_EXPECT_LIVE(function, node) ::zodovar9::checked::live(function, node)

#else

#define ZODOVAR9_EXPECT(cond, function, duty) static_cast<void>(0)
#define ZODOVAR9_EXPECT_GIVEN(function, ...) static_cast<void>(0)
#define ZODOVAR9_EXPECT_PLACED(function, node, ...) static_cast<void>(0)
#define ZODOVAR9_EXPECT_ATTACHABLE(function, parent, child) static_cast<void>(0)
#define ZODOVAR9_EXPECT_SETTABLE(function, tree, value) static_cast<void>(0)
#define ZODOVAR9_EXPECT_LIVE(function, node) static_cast<void>(0)

#endif
