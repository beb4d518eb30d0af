/** @file
 * zodovar9 — the export macro and the types that every module shares.
 *
 * Every function of zodovar9 is exported by name with the C calling
 * convention (`CSTD_CALL`: `__cdecl` on 32-bit Windows, the caller popping
 * the arguments), and so is every function pointer that it takes or gives:
 * element-table slots, clean-up record functions. In the 32-bit layout each
 * argument is one 32-bit word (an array's 64-bit size, two), and every
 * function returns a `cstd_status`: zero or
 * positive for success, negative for failure. Test the sign of a status, never
 * its equality with 0: a positive status from the system library passes
 * through as success.
 *
 * The library keeps no global state, takes no locks and starts no threads. A
 * tree, with all its nodes, is used by one thread at a time.
 */
#ifndef ZODOVAR9_COMMON_H
#define ZODOVAR9_COMMON_H

#include <stdint.h>

#include <rezade9/rezade9.h>

/** Marks a function that the tree library exports. */
#if defined(_WIN32)
#if defined(ZODOVAR9_BUILDING)
#define ZODOVAR9_API __declspec(dllexport)
#else
#define ZODOVAR9_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define ZODOVAR9_API __attribute__((visibility("default")))
#else
#define ZODOVAR9_API
#endif

#endif /* ZODOVAR9_COMMON_H */
