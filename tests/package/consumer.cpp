// Built through find_package(zodovar9) against the unpacked Debian package,
// with only zodovar9::cxx linked: the target brings C++20. Places, moves,
// sorts, compares and walks a tree, every walk, and ends with no block live.
#include <zodovar9/tree.hpp>

#include <algorithm>
#include <string>

int main()
{
    std::string seen;
    {
        zodovar9::tree<std::string> t("r");
        auto b = t.root().add_child("b"), a = t.root().prepend_child("a");
        t.root().insert_after(a, std::in_place, 1, 'c').add_child("d");
        b.insert_before(b.prepend_child("e"), "f");
        b.child(1).move_to(a);
        t.root().sort_children(std::ranges::greater{});
        std::error_code ec;
        a.move_to(a.child(0), ec); // refused: below itself
        const zodovar9::tree<std::string> copy = t;
        for (auto &s : t.pre_order()) seen += s;
        for (auto &s : t.root().post_order() | zodovar9::values) seen += s;
        for (auto &s : t.root().breadth_first() | zodovar9::values) seen += s;
        for (auto &s : t.root().leaves() | zodovar9::values) seen += s;
        for (auto &s : a.child(0).ancestors() | zodovar9::values) seen += s;
        for (auto &s : t.root().children() | zodovar9::values) seen += s;
        if (!(copy == t) || ec != zodovar9::errc::parent_cycle ||
            std::ranges::find(t.pre_order(), "e").node() != a.child(0))
            return 1;
    }
    std::uint32_t live = 1;
    csys_memory_getLiveBlockCount(&live);
    return seen == "rcdbfae"
                   "dcfbear"
                   "rcbadfe"
                   "dfe"
                   "ar"
                   "cba" &&
                   live == 0
               ? 0
               : 1;
}
