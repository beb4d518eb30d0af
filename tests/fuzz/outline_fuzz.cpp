// zodovar9-view's outline reader on any input: either a tree with a node for
// each non-blank line, drawn a line a node, or a refusal that names a line of
// the input (the tool prints it as INPUT:LINE: message and exits with 2);
// never a crash, a hang or a leak, which the sanitizers and libFuzzer catch.
#include "view_tree.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::size_t lines = 0, filled = 0;
    std::istringstream count(text);
    for (std::string line; std::getline(count, line); ++lines) filled += line.find_first_not_of(" \t\r") != line.npos;

    std::istringstream in(text);
    view::text_tree tree;
    if (const auto refused = view::read_outline(in, tree)) {
        if (!tree.empty() || refused->line < 1 || refused->line > lines + 1 || refused->message.empty() ||
            refused->message.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    std::ostringstream drawn, dot;
    view::draw(tree, drawn);
    view::write_dot(tree, true, dot);
    const std::string out = drawn.str();
    if (filled == 0 || static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n')) != filled) std::abort();
    return 0;
}
