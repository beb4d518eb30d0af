// strings — the C++ layer from end to end: a tree of std::string built,
// walked with a range-for, a subtree deep-copied with clone(), and both
// trees deleted by their handles, with no block of the system library left.
#include <zodovar9/tree.hpp>

#include <cstdio>
#include <string>

namespace {

uint32_t live_blocks()
{
    uint32_t count = 0;
    (void)csys_memory_getLiveBlockCount(&count);
    return count;
}

void print(const char *title, const zodovar9::tree<std::string> &t)
{
    std::printf("%s:\n", title);
    for (auto node : t.pre_order_nodes())
        std::printf("  %*s%s\n", static_cast<int>(2 * node.depth()), "", node->c_str());
}

} // namespace

int main()
{
    try {
        {
            zodovar9::tree<std::string> library("library");
            auto tree = library.root().add_child("tree");
            for (const char *part : {"construct", "attach", "navigate", "search", "delete"}) tree.add_child(part);
            library.root().add_child("typed").add_child("families");
            library.root().add_child("vector");

            // Every payload is a real std::string: change them in place.
            for (std::string &name : library.pre_order()) name[0] = static_cast<char>(name[0] - 'a' + 'A');
            print("library", library);

            // The copy owns new nodes and new strings: changing it leaves the
            // original as it was.
            zodovar9::tree<std::string> copy = tree.clone();
            copy.root().value() += " (copy)";
            copy.root().child(0).value() = "Build";
            print("copy of the subtree", copy);
            print("library, unchanged", library);
            std::printf("%lu nodes in the library, %lu in the copy; %u blocks live\n",
                        static_cast<unsigned long>(library.size()), static_cast<unsigned long>(copy.size()),
                        static_cast<unsigned>(live_blocks()));
        } // both handles delete their trees here

        const uint32_t left = live_blocks();
        std::printf("both trees deleted: %u blocks live\n", static_cast<unsigned>(left));
        return left == 0 ? 0 : 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "strings: %s\n", e.what());
        return 1;
    }
}
