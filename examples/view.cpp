// zodovar9-view — draws a tree: as a box-drawing outline on standard output,
// as Graphviz DOT, and as SVG through Graphviz's `dot`. `--help` says how.
#include "view_dot.hpp"
#include "view_tree.hpp"

#include <zodovar9/status_text.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#define ZODOVAR9_VIEW_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define ZODOVAR9_VIEW_ISATTY(fd) isatty(fd)
#endif

namespace {

const char kUsage[] = R"(usage: zodovar9-view [--lr] [--dot FILE] [--svg FILE] [--demo | INPUT | -]

Draws a tree as an outline on standard output, and as Graphviz DOT and SVG
where asked. The tree is read from INPUT; from standard input when INPUT is -,
or when there is no INPUT and standard input is a pipe or a file. With no
INPUT at a terminal, and with --demo, it is a small demonstration tree.

The input is an indented outline, one node a line:

  library
    tree
      attach
    typed

Indent with spaces only; the first indented line sets the step, every
indentation is a multiple of it, and a line is at most one step deeper than
the line before. One root, not indented; blank lines are skipped.

  --dot FILE   write the tree as a DOT digraph to FILE
  --svg FILE   write it as SVG to FILE, drawn by Graphviz's dot (on the PATH)
  --lr         draw DOT and SVG left to right, for wide trees
  --demo       draw the demonstration tree
  --help       show this text

Exit status: 0 when drawn; 1 when a file cannot be read or written, or dot is
missing or fails; 2 for a malformed outline (INPUT:LINE: why, on standard
error) or a wrong command line.

Example: printf 'root\n  a\n  b\n' | zodovar9-view --lr --svg tree.svg
)";

int usage()
{
    std::cerr << "usage: zodovar9-view [--lr] [--dot FILE] [--svg FILE] [--demo | INPUT | -]\n"
                 "       zodovar9-view --help\n";
    return 2;
}

bool write_file(const std::string &path, const std::string &text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file.flush());
}

} // namespace

int main(int argc, char **argv)
{
    std::string dot_file, svg_file, input = "-";
    bool have_input = false, demo = false, left_to_right = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if ((arg == "--dot" || arg == "--svg") && i + 1 < argc)
            (arg == "--dot" ? dot_file : svg_file) = argv[++i];
        else if (arg == "--lr")
            left_to_right = true;
        else if (arg == "--demo")
            demo = true;
        else if ((arg == "-" || arg[0] != '-') && !have_input)
            input = arg, have_input = true;
        else
            return usage();
    }
    if (demo && have_input) return usage();
    // With nothing named, a pipe or a file on standard input is the tree to
    // draw; a terminal gets the demonstration instead of a silent wait.
    if (!have_input && !demo) have_input = !ZODOVAR9_VIEW_ISATTY(0);

    try {
        view::text_tree t;
        if (!have_input) {
            t = view::demonstration();
        } else {
            std::ifstream file;
            if (input != "-") {
                file.open(input, std::ios::binary);
                if (!file) {
                    std::cerr << "zodovar9-view: cannot read " << input << '\n';
                    return 1;
                }
            }
            if (auto bad = view::read_outline(input == "-" ? std::cin : file, t)) {
                std::cerr << "zodovar9-view: " << view::refusal(input == "-" ? "<stdin>" : input, *bad) << '\n';
                return 2;
            }
        }
        view::draw(t, std::cout);
        std::cout.flush();

        std::ostringstream dot;
        view::write_dot(t, left_to_right, dot);
        if (!dot_file.empty()) {
            if (!write_file(dot_file, dot.str())) {
                std::cerr << "zodovar9-view: cannot write " << dot_file << '\n';
                return 1;
            }
            std::cerr << "zodovar9-view: DOT written to " << dot_file << '\n';
        }
        // The SVG comes back from dot whole, and only then is its file
        // written: a failing dot leaves nothing behind.
        if (!svg_file.empty()) {
            std::string svg;
            if (auto failed = view::render_svg(dot.str(), svg)) {
                std::cerr << "zodovar9-view: " << *failed << "; no SVG written\n";
                return 1;
            }
            if (!write_file(svg_file, svg)) {
                std::cerr << "zodovar9-view: cannot write " << svg_file << '\n';
                return 1;
            }
            std::cerr << "zodovar9-view: SVG written to " << svg_file << '\n';
        }
    } catch (const std::system_error &e) {
        // The library's statuses say what went wrong in words of their own.
        if (e.code().category() == zodovar9::category())
            std::cerr << "zodovar9-view: " << zodovar9_statusText(e.code().value()) << '\n';
        else
            std::cerr << "zodovar9-view: " << e.what() << '\n';
        return 1;
    } catch (const std::exception &e) {
        std::cerr << "zodovar9-view: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
