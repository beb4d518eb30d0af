// zodovar9-view — draws a tree: as a box-drawing outline on standard output,
// as Graphviz DOT, and as SVG through Graphviz's `dot`.
//
//   zodovar9-view [--dot FILE] [--svg FILE] [INPUT]
//
// Without INPUT it draws a demonstration tree; with INPUT (a file, or - for
// standard input) it reads the tree as an indented outline:
//
//   library
//     tree
//       attach
//     typed
//
// Outline rules. Each non-blank line is one node, named by its text with
// the indentation and trailing white space removed (a trailing CR too).
// Indentation is spaces only: a tab in it is refused. The first indented
// line sets the indentation unit; every indentation is a multiple of it. The
// first node is the one root, not indented; a later line at the root's level
// would be a second root and is refused. A line is at most one level deeper
// than the line before it. Blank lines are skipped. An input with no node is
// refused.
//
// Exit status: 0 when drawn; 2 for a malformed outline (a message names the
// input and the line) or a wrong command line; 1 when a file cannot be read
// or written or `dot` fails.
#include <zodovar9/tree.hpp>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using text_tree = zodovar9::tree<std::string>;

struct outline_error {
    std::size_t line;
    std::string message;
};

std::optional<outline_error> parse_outline(std::istream &in, text_tree &result)
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
        if (t.empty()) t = text_tree(std::move(name));
        path.push_back(level ? path.back().add_child(std::move(name)) : t.root());
    }
    if (t.empty()) return outline_error{number + 1, "no node: the outline is empty"};
    result = std::move(t);
    return std::nullopt;
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

// The outline, drawn with box-drawing characters, one node a line.
void draw(const text_tree &t, std::ostream &out)
{
    std::vector<bool> more; // per level: whether a later sibling follows
    for (auto node : t.pre_order_nodes()) {
        const std::size_t depth = node.depth();
        more.resize(depth);
        for (std::size_t level = 1; level < depth; ++level) out << (more[level] ? "\u2502   " : "    ");
        const bool next = static_cast<bool>(node.next_sibling());
        if (depth) out << (next ? "\u251c\u2500\u2500 " : "\u2514\u2500\u2500 ");
        out << *node << '\n';
        more.push_back(next);
    }
}

std::string dot_quoted(const std::string &s)
{
    std::string q = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + '"';
}

void write_dot(const text_tree &t, std::ostream &out)
{
    out << "digraph tree {\n  node [shape=box, style=rounded, fontname=\"Helvetica\"];\n";
    std::vector<std::size_t> ids; // per level: the id of the current node there
    std::size_t next_id = 0;
    for (auto node : t.pre_order_nodes()) {
        const std::size_t depth = node.depth(), id = next_id++;
        ids.resize(depth);
        out << "  n" << id << " [label=" << dot_quoted(*node) << "];\n";
        if (depth) out << "  n" << ids.back() << " -> n" << id << ";\n";
        ids.push_back(id);
    }
    out << "}\n";
}

int usage()
{
    std::cerr << "usage: zodovar9-view [--dot FILE] [--svg FILE] [INPUT | -]\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::string dot_file, svg_file, input;
    bool have_input = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--dot" || arg == "--svg") && i + 1 < argc)
            (arg == "--dot" ? dot_file : svg_file) = argv[++i];
        else if ((arg == "-" || arg[0] != '-') && !have_input)
            input = arg, have_input = true;
        else
            return usage();
    }

    try {
        text_tree t;
        if (!have_input) {
            t = demonstration();
        } else {
            std::ifstream file;
            if (input != "-") {
                file.open(input, std::ios::binary);
                if (!file) {
                    std::cerr << "zodovar9-view: cannot read " << input << '\n';
                    return 1;
                }
            }
            std::istream &in = input == "-" ? std::cin : file;
            if (auto bad = parse_outline(in, t)) {
                std::cerr << "zodovar9-view: " << (input == "-" ? "<stdin>" : input) << ':' << bad->line << ": "
                          << bad->message << '\n';
                return 2;
            }
        }
        draw(t, std::cout);

        // SVG goes through a DOT file: the one asked for, or one beside the SVG.
        if (dot_file.empty() && !svg_file.empty()) dot_file = svg_file + ".dot";
        if (!dot_file.empty()) {
            std::ofstream dot(dot_file, std::ios::binary);
            write_dot(t, dot);
            if (!dot.flush()) {
                std::cerr << "zodovar9-view: cannot write " << dot_file << '\n';
                return 1;
            }
            std::cerr << "zodovar9-view: DOT written to " << dot_file << '\n';
        }
        if (!svg_file.empty()) {
            std::cout.flush();
            const std::string command = "dot -Tsvg -o \"" + svg_file + "\" \"" + dot_file + '"';
            if (std::system(command.c_str()) != 0) {
                std::cerr << "zodovar9-view: `" << command << "` failed (is Graphviz installed?)\n";
                return 1;
            }
            std::cerr << "zodovar9-view: SVG written to " << svg_file << '\n';
        }
    } catch (const std::exception &e) {
        std::cerr << "zodovar9-view: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
