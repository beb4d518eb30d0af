#include "view_tree.hpp"

#include <istream>
#include <ostream>
#include <vector>

namespace view {

std::optional<outline_error> read_outline(std::istream &in, text_tree &result)
{
    text_tree t;
    std::vector<zodovar9::node_ref<std::string>> path; // the nodes above the next line
    std::size_t unit = 0, number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::size_t end = line.find_last_not_of(" \t\r");
        if (end == std::string::npos) continue;
        line.erase(end + 1);
        const std::size_t indent = line.find_first_not_of(' ');
        if (line[indent] == '\t') return outline_error{number, "a tab in the indentation: indent with spaces only"};
        if (indent && !unit) unit = indent;
        if (indent % (unit ? unit : 1))
            return outline_error{number, "indentation of " + std::to_string(indent) +
                                             " spaces is not a multiple of the first one (" + std::to_string(unit) +
                                             ")"};
        const std::size_t level = unit ? indent / unit : 0;
        if (t.empty() && level) return outline_error{number, "the first node is indented: it must be the root"};
        if (!t.empty() && !level) return outline_error{number, "a second root: the outline has one top-level node"};
        if (level > path.size())
            return outline_error{number, "indented " + std::to_string(level - path.size() + 1) +
                                             " levels below the line before: one at most"};
        std::string name = line.substr(indent);
        path.resize(level);
        if (t.empty()) {
            t = text_tree(std::move(name));
            path.push_back(t.root());
        } else {
            path.push_back(path.back().add_child(std::move(name)));
        }
    }
    if (t.empty()) return outline_error{number + 1, "no node: the outline is empty"};
    result = std::move(t);
    return std::nullopt;
}

std::string refusal(const std::string &input, const outline_error &error)
{
    return input + ':' + std::to_string(error.line) + ": " + error.message;
}

text_tree demonstration()
{
    text_tree t("zodovar9");
    auto core = t.root().add_child("tree core");
    for (const char *part : {"construct", "delete", "payload", "attach", "navigate", "search"}) core.add_child(part);
    auto typed = t.root().add_child("typed families");
    for (const char *family : {"cstd_tree32s", "cstd_tree_cmath_xformLinear", "cstd_tree_tree"})
        typed.add_child(family);
    t.root().add_child("tree-pointer vector");
    auto cxx = t.root().add_child("<zodovar9/tree.hpp>");
    cxx.add_child("tree<T>");
    cxx.add_child("node_ref<T>").add_child("pre_order()");
    return t;
}

namespace {

// Visits every node in pre-order with its depth below the root, stepping by
// the handles (first child, next sibling, parent): constant memory, and the
// depth kept as it goes instead of counted for each node.
template <class Visit>
void walk(const text_tree &t, Visit visit)
{
    auto node = t.root();
    for (std::size_t depth = 0;;) {
        visit(node, depth);
        if (auto child = node.first_child()) {
            node = child;
            ++depth;
            continue;
        }
        for (;; node = node.parent(), --depth) {
            if (!depth) return;
            if (auto next = node.next_sibling()) {
                node = next;
                break;
            }
        }
    }
}

// A DOT string: quotes and backslashes escaped.
std::string dot_quoted(const std::string &s)
{
    std::string q = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + '"';
}

} // namespace

void draw(const text_tree &t, std::ostream &out)
{
    std::vector<bool> more; // per level: whether a later sibling follows
    walk(t, [&](auto node, std::size_t depth) {
        more.resize(depth);
        for (std::size_t level = 1; level < depth; ++level) out << (more[level] ? "\u2502   " : "    ");
        const bool next = static_cast<bool>(node.next_sibling());
        if (depth) out << (next ? "\u251c\u2500\u2500 " : "\u2514\u2500\u2500 ");
        out << *node << '\n';
        more.push_back(next);
    });
}

void write_dot(const text_tree &t, bool left_to_right, std::ostream &out)
{
    out << "digraph tree {\n";
    if (left_to_right) out << "  rankdir=LR;\n";
    out << "  node [shape=box, style=rounded, fontname=\"Helvetica\"];\n";
    std::vector<std::size_t> ids; // per level: the id of the current node there
    std::size_t next_id = 0;
    walk(t, [&](auto node, std::size_t depth) {
        const std::size_t id = next_id++;
        ids.resize(depth);
        out << "  n" << id << " [label=" << dot_quoted(*node) << "];\n";
        if (depth) out << "  n" << ids.back() << " -> n" << id << ";\n";
        ids.push_back(id);
    });
    out << "}\n";
}

} // namespace view
