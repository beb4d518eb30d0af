/** @file
 * rezade9 — shared types of the system library.
 *
 * The status word and the element table are used by every library of the
 * product line: the system library runs element tables when it constructs,
 * copies, assigns and destroys the elements of a `cstd_vector`, and the tree
 * library runs them on node payloads. Both are defined here, at the bottom of
 * the stack, so that every library sees one definition.
 *
 * Binary layout: every function of the product line uses the C calling
 * convention (`__cdecl` on 32-bit Windows, where the caller pops the
 * arguments), pinned by `CSTD_CALL`. In the 32-bit layout every pointer,
 * status and count named here is one 32-bit word.
 */
#ifndef REZADE9_TYPES_H
#define REZADE9_TYPES_H

#include <stdint.h>

/** The calling convention of every function and function pointer of the
 *  product line: `__cdecl` on 32-bit Windows, the platform's C convention
 *  elsewhere. */
#if defined(_WIN32) && !defined(_WIN64)
#define CSTD_CALL __cdecl
#else
#define CSTD_CALL
#endif

/** Marks a function that the system library exports. */
#if defined(_WIN32)
#if defined(REZADE9_BUILDING)
#define REZADE9_API __declspec(dllexport)
#else
#define REZADE9_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define REZADE9_API __attribute__((visibility("default")))
#else
#define REZADE9_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/**
 * The status every operation returns: zero or positive is success, negative
 * is failure. Test the sign, never equality with 0.
 */
typedef int32_t cstd_status;

/** Builds a negative status from the low bits of its 0x8000xxxx pattern. */
#define CSTD_STATUS_FAILURE(low) ((cstd_status)(-2147483647 - 1 + (low)))

/**
 * The element table of a payload or of an array's elements. Any function slot
 * may be none; a caller runs a slot only when the table and the slot are set.
 *
 * - `construct(element, flags)`: builds the element in place. `flags` is
 *   reserved; every caller of the product line passes 0.
 * - `constructCopy(destination, source)`: builds `destination` as a copy of
 *   `source`.
 * - `assign(destination, source)`: overwrites a built `destination` with
 *   `source`.
 * - `destruct(element)`: takes the element apart in place.
 * - `tag`: a signed word describing the element. -1 for a table whose
 *   elements need their slots; 0 or more names a plain element that may be
 *   zero-filled where no `construct` slot is given.
 *
 * A negative status from a slot ends the calling operation with that status.
 */
typedef struct cstd_vtable {
    /** builds the element in place */
    cstd_status(CSTD_CALL *construct)(void *element, uint32_t flags);
    /** builds `destination` as a copy of `source` */
    cstd_status(CSTD_CALL *constructCopy)(void *destination, const void *source);
    /** overwrites a built `destination` with `source` */
    cstd_status(CSTD_CALL *assign)(void *destination, const void *source);
    /** takes the element apart in place */
    cstd_status(CSTD_CALL *destruct)(void *element);
    int32_t tag; /**< -1: the slots are needed; 0 or more: plain data */
} cstd_vtable;

#ifdef __cplusplus
}
#endif

#endif /* REZADE9_TYPES_H */
