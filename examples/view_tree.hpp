// zodovar9-view's trees of names: read from an indented outline, drawn as a
// box-drawing outline, written as Graphviz DOT. Kept apart from the command
// line so that the fuzz target reads outlines exactly as the tool does.
#ifndef ZODOVAR9_EXAMPLES_VIEW_TREE_HPP
#define ZODOVAR9_EXAMPLES_VIEW_TREE_HPP

#include <zodovar9/tree.hpp>

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>

namespace view {

using text_tree = zodovar9::tree<std::string>;

/** Why an outline was refused: its line (1 up) and what is wrong there. */
struct outline_error {
    std::size_t line;
    std::string message;
};

/**
 * Reads an outline into `result`. Each non-blank line is one node, named by
 * its text with the indentation and trailing white space (a CR too) removed.
 * Indentation is spaces only; the first indented line sets the unit, and
 * every indentation is a multiple of it. The first node is the one root, not
 * indented; a line is at most one level deeper than the line before; blank
 * lines are skipped; an outline without a node is refused. On a refusal
 * `result` is left as it was.
 */
std::optional<outline_error> read_outline(std::istream &in, text_tree &result);

/** The refusal as one line, `INPUT:LINE: message`, without a newline. */
std::string refusal(const std::string &input, const outline_error &error);

/** A small tree of the library's own parts. */
text_tree demonstration();

/** The tree as an outline drawn with box-drawing characters, a node a line. */
void draw(const text_tree &t, std::ostream &out);

/** The tree as a DOT digraph, top to bottom or left to right. */
void write_dot(const text_tree &t, bool left_to_right, std::ostream &out);

} // namespace view

#endif
