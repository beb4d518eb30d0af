// Expectations over the recording library's call log, for GoogleTest.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <sstream>

#include "probe.hpp"

namespace probe {

// One expected call: the function and its arguments as words (`kAny` where
// the value does not matter).
struct Step {
    Fn fn;
    std::vector<std::uint64_t> args;
};

template <class... Args>
Step step(Fn fn, Args... args)
{
    return {fn, {word(args)...}};
}

inline std::string describe(const std::vector<Call> &calls)
{
    std::ostringstream out;
    for (const Call &call : calls) {
        out << "  " << name(call.fn) << '(';
        for (std::size_t i = 0; i < call.args.size(); ++i) {
            out << (i ? ", " : "") << "0x" << std::hex << call.args[i] << std::dec;
        }
        out << ") -> " << call.status << '\n';
    }
    return out.str();
}

// The log holds exactly these calls, in this order.
inline ::testing::AssertionResult callsAre(const std::vector<Step> &expected)
{
    const std::vector<Call> actual = calls();
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; same && i < actual.size(); ++i) {
        same = actual[i].fn == expected[i].fn && actual[i].args.size() == expected[i].args.size();
        for (std::size_t a = 0; same && a < actual[i].args.size(); ++a) {
            same = expected[i].args[a] == kAny || expected[i].args[a] == actual[i].args[a];
        }
    }
    if (same) {
        return ::testing::AssertionSuccess();
    }
    std::vector<Call> wanted;
    for (const Step &s : expected) {
        wanted.push_back({s.fn, s.args, 0});
    }
    return ::testing::AssertionFailure() << "calls made:\n"
                                         << describe(actual) << "calls expected:\n"
                                         << describe(wanted);
}

// Two node records hold the same fields (padding bytes are never written,
// so whole records do not compare).
inline bool sameFields(const cstd_tree &a, const cstd_tree &b)
{
    return a.parent == b.parent && a.indexInParent == b.indexInParent &&
           std::memcmp(&a.children, &b.children, sizeof a.children) == 0 && a.data == b.data &&
           a.dataSize == b.dataSize && a.vtable == b.vtable;
}

// Every test ends with the heap as it found it.
inline ::testing::AssertionResult nothingLive()
{
    if (liveBlocks() == 0 && liveArrays() == 0 && liveElements() == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << liveBlocks() << " blocks, " << liveArrays() << " arrays, " << liveElements()
                                         << " payload elements still live";
}

// Deletes heap nodes alone, whatever links them: each is detached first, so
// no list is left naming a released record.
template <class Nodes>
void dropNodes(const Nodes &nodes)
{
    for (cstd_tree **n : nodes) {
        if (*n != nullptr && (*n)->parent != nullptr) {
            EXPECT_GE(cstd_tree_removeChild((*n)->parent, *n), 0);
        }
    }
    for (cstd_tree **n : nodes) {
        EXPECT_GE(cstd_tree_deleteThisButNotDescendants(n), 0);
    }
}

} // namespace probe
