/** @file
 * rezade9 — the system library: memory blocks, clean-up lists and the
 * generic growable array. Include this header for all of it.
 */
#ifndef REZADE9_REZADE9_H
#define REZADE9_REZADE9_H

#include <rezade9/types.h>
#include <rezade9/status.h>
#include <rezade9/memory.h>
#include <rezade9/cleanup.h>
#include <rezade9/vector.h>

#endif /* REZADE9_REZADE9_H */
