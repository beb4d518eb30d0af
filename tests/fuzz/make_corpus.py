#!/usr/bin/env python3
"""Writes the seed corpus of tree_fuzz: a few programs, 4 bytes a step
(operation, slot a, slot b, value), each reaching one area of the library."""
import pathlib

ATTACH, DETACH, NEW, DELETE, SET, ASSIGN, COPY, QUERY, ARRAY, FAULT = 0, 2, 3, 4, 5, 6, 7, 8, 11, 13
VALUE, BYTES, TABLED, TREE, VALUE_TABLED = range(5)
LOCAL = 14  # slots 14 and 15 are records in place


def program(*steps):
    return bytes(b for s in steps for b in s)


def tree():  # 0 over 1 and 2; 1 over 3; 2 over 4 and 5, with every payload kind
    return [(NEW, n, 0, kind) for n, kind in enumerate([VALUE, BYTES, TABLED, TREE, VALUE_TABLED, VALUE])] + \
           [(ATTACH, 0, 1, 0), (ATTACH, 0, 2, 0), (ATTACH, 1, 3, 0), (ATTACH, 2, 4, 0), (ATTACH, 2, 5, 0)]


def queries(*slots):  # every query on each slot, the search with both types
    return [(QUERY, n, 1 + w % 3, w) for n in slots for w in range(16)] + [(QUERY, n, 0, 14) for n in slots]


SEEDS = {
    "shape": program(*tree(), *queries(0, 2, 3, 5), (DETACH, 2, 4, 0), (DETACH, 0, 4, 0), (ATTACH, 4, 2, 0),
                     *queries(4, 5)),
    "payload": program(*[(NEW, n, 0, n) for n in range(5)], *[(SET, n, 4, 7) for n in range(5)],
                       (SET, 3, 0, 1), (SET, 3, 1, 1), (ASSIGN, 0, 4, 0), (ASSIGN, 1, 2, 0), (ASSIGN, 2, 1, 0),
                       (ASSIGN, 3, 3, 0), (COPY, LOCAL, 2, 0), (COPY, LOCAL + 1, 3, 0), (ASSIGN, 3, LOCAL + 1, 0),
                       (ATTACH, LOCAL, 0, 0), (DELETE, LOCAL, 0, 0), (DELETE, LOCAL + 1, 0, 0),
                       (NEW, LOCAL, 0, TABLED), (COPY, LOCAL + 1, LOCAL, 0)),
    "delete": program(*tree(), (DELETE, 2, 0, 2), *queries(4), (DELETE, 0, 0, 1), (NEW, 4, 0, TREE),
                      (ATTACH, 5, 4, 0), (NEW, 4, 0, BYTES), (DELETE, 5, 0, 0), (DELETE, 9, 0, 0)),
    "array": program(*tree(), *[(ARRAY, 0, 1 + w % 4, 8 * w + 1) for w in [0, 0, 2, 4, 3, 1, 8, 9, 7, 5, 0, 6]]),
    "fault": program(*tree(), (FAULT, 0, 0, 1), (ATTACH, 3, 5, 0), (FAULT, 0, 0, 2), (DETACH, 2, 4, 0),
                     (FAULT, 0, 1, 5), (DELETE, 2, 0, 1), (FAULT, 0, 2, 3), (NEW, 1, 0, TREE),
                     (FAULT, 0, 3, 6), (COPY, LOCAL, 3, 0), (FAULT, 0, 0, 4), (DELETE, 0, 0, 2),
                     (FAULT, 0, 4, 2), (QUERY, 4, 1, 13), *queries(1, 4)),
}

if __name__ == "__main__":
    out = pathlib.Path(__file__).with_name("corpus")
    out.mkdir(exist_ok=True)
    for name, data in SEEDS.items():
        (out / name).write_bytes(data)
