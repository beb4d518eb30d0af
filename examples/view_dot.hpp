// zodovar9-view's bridge to Graphviz: `dot -Tsvg` run as a child process.
#ifndef ZODOVAR9_EXAMPLES_VIEW_DOT_HPP
#define ZODOVAR9_EXAMPLES_VIEW_DOT_HPP

#include <optional>
#include <string>

namespace view {

/**
 * Runs `dot -Tsvg`, found on the PATH, with `dot_text` on its standard input,
 * and collects its standard output into `svg`. No shell is involved and no
 * name of the caller's is handed to the child: its command line is fixed, and
 * the caller writes the SVG wherever it wants it. Returns why it failed (dot
 * missing, or ending with a failure), or nothing when dot succeeded.
 */
std::optional<std::string> render_svg(const std::string &dot_text, std::string &svg);

} // namespace view

#endif
