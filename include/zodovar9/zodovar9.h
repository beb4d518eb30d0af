/** @file
 * zodovar9 — a general n-ary tree behind a flat C interface.
 *
 * Include this header for the whole library; it is valid C99 and C++. It
 * brings in the system library's and the math library's headers, whose
 * records (`cstd_vector`, `csys_cleanupRecord`, `cmath_xformLinear`) the
 * interface uses.
 */
#ifndef ZODOVAR9_ZODOVAR9_H
#define ZODOVAR9_ZODOVAR9_H

#include <rezade9/rezade9.h>
#include <vuvarod9/vuvarod9.h>

#include <zodovar9/common.h>
#include <zodovar9/status.h>
#include <zodovar9/status_text.h>
#include <zodovar9/subtree.h>
#include <zodovar9/tree.h>
#include <zodovar9/typed.h>
#include <zodovar9/vector.h>

#endif /* ZODOVAR9_ZODOVAR9_H */
