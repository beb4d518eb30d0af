// Loads the shipped library the way a program would and checks its names:
// every one resolves, names meant to share an entry point do, and the rest
// are entry points of their own. The expected names are written out here,
// not read from the build's export list.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const char *const kFamilies[] = {"cstd_tree32s_", "cstd_tree_cmath_xformLinear_", "cstd_tree_tree_"};
// Operations of the core that the families share, each at one entry.
const char *const kShared[] = {"constructCopy",
                               "destruct",
                               "delete",
                               "deleteThisAndAllDescendants",
                               "deleteThisButNotDescendants",
                               "setData",
                               "getDataPtr",
                               "assign",
                               "addChild",
                               "removeChild",
                               "getNumChildren",
                               "hasParent",
                               "getParent",
                               "getFirstChild",
                               "getFirstChildConst",
                               "hasPrevSibling",
                               "getPrevSibling",
                               "hasNextSibling",
                               "getNextSibling",
                               "getDepthFromRoot",
                               "hasNextSearchElement",
                               "getNextSearchElement",
                               "getNextSearchElementConst"};
const char *const kVector[] = {"construct",
                               "constructWithMtable",
                               "constructEmpty",
                               "constructEmptyWithMtable",
                               "constructUninit",
                               "constructFill",
                               "constructFromBlock",
                               "constructCopy",
                               "assign",
                               "assignElements",
                               "destruct",
                               "resize",
                               "resizeUninit",
                               "resizeFill",
                               "reserve",
                               "getSize",
                               "getCapacity",
                               "getElementSize",
                               "getBeginEnd",
                               "getBeginEndConst",
                               "getBegin",
                               "getBeginConst",
                               "getBeginSize",
                               "getBeginSizeConst",
                               "getElement",
                               "getElementConst",
                               "insert",
                               "insertElement",
                               "erase",
                               "eraseElement",
                               "pushBack",
                               "popBack",
                               "clear",
                               "clearAndFreeMemory",
                               "append",
                               "swap"};
// Further names: name -> the name whose entry it shares.
const std::map<std::string, std::string> kSameEntry = {
    {"getParentConst", "getParent"},           {"getPrevSiblingConst", "getPrevSibling"},
    {"getNextSiblingConst", "getNextSibling"}, {"getSize32", "getSize"},
    {"getBeginSize32", "getBeginSize"},        {"getBeginSize32Const", "getBeginSizeConst"},
};

class Exports : public ::testing::Test {
protected:
    static void SetUpTestSuite() { library_ = dlopen(ZODOVAR9_LIBRARY, RTLD_NOW | RTLD_LOCAL); }
    static void *at(const std::string &name)
    {
        void *address = dlsym(library_, name.c_str());
        EXPECT_NE(address, nullptr) << name;
        return address;
    }
    static inline void *library_ = nullptr;
};

TEST_F(Exports, EveryNameResolvesAndAliasesShareTheirEntry)
{
    ASSERT_NE(library_, nullptr) << dlerror();
    std::vector<std::string> core = {"construct",
                                     "constructWithSizeAndVtable",
                                     "destruct",
                                     "new",
                                     "newWithSizeAndVtable",
                                     "delete",
                                     "deleteThisAndAllDescendants",
                                     "deleteThisButNotDescendants",
                                     "setData",
                                     "getDataPtr",
                                     "assign",
                                     "constructCopy",
                                     "addChild",
                                     "removeChild",
                                     "getNumChildren",
                                     "hasParent",
                                     "getParent",
                                     "getFirstChild",
                                     "getFirstChildConst",
                                     "hasPrevSibling",
                                     "getPrevSibling",
                                     "hasNextSibling",
                                     "getNextSibling",
                                     "getDepthFromRoot",
                                     "hasNextSearchElement",
                                     "getNextSearchElement",
                                     "getNextSearchElementConst"};
    std::set<void *> entries;
    std::size_t names = 0;
    auto entry = [&](const std::string &name) {
        ++names;
        void *address = at(name);
        entries.insert(address);
        return address;
    };
    for (const std::string &op : core) {
        entry("cstd_tree_" + op);
    }
    for (const char *op : kVector) {
        entry(std::string("cstd_vector_cstd_treePtr_") + op);
    }
    for (const char *family : kFamilies) {
        for (const char *op : {"construct", "new"}) {
            entry(family + std::string(op));
        }
        for (const char *op : kShared) {
            EXPECT_EQ(entry(family + std::string(op)), at(kFamilies[0] + std::string(op))) << family << op;
        }
    }
    for (const auto &[alias, op] : kSameEntry) {
        const std::string prefixes[] = {"cstd_tree_", "cstd_vector_cstd_treePtr_", kFamilies[0], kFamilies[1],
                                        kFamilies[2]};
        for (const std::string &prefix : prefixes) {
            if (dlsym(library_, (prefix + op).c_str()) != nullptr &&
                (prefix == "cstd_vector_cstd_treePtr_") == (alias.find("Size") != std::string::npos)) {
                EXPECT_EQ(entry(prefix + alias), at(prefix + op)) << prefix << alias;
            }
        }
    }
    // The families' search step is the core's read-only step itself.
    EXPECT_EQ(at("cstd_tree_tree_getNextSearchElement"), at("cstd_tree_getNextSearchElementConst"));
    EXPECT_EQ(names, 153u);
    EXPECT_EQ(entries.size(), 91u);
}

} // namespace
