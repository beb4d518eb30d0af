#!/usr/bin/env python3
"""Writes the seed corpus of tree_fuzz: a few programs, 4 bytes a step
(operation, slot a, slot b, value), each reaching one area of the library.
A failure ends a program, so each fault seed ends with one."""
import pathlib

ATTACH, DETACH, NEW, DELETE, SET, ASSIGN, COPY, FAULT = 0, 2, 3, 4, 5, 6, 7, 8
VALUE, BYTES, TABLED, TREE, VALUE_TABLED = range(5)
NO_MEMORY, POSITIVE = 0, 3  # fault statuses, by slot b
LOCAL = 14  # slots 14 and 15 are records in place


def program(*steps):
    return bytes(b for s in steps for b in s)


def tree():  # 0 over 1 and 2; 1 over 3; 2 over 4 and 5, with every payload kind
    return [(NEW, n, 0, kind) for n, kind in enumerate([VALUE, BYTES, TABLED, TREE, VALUE_TABLED, VALUE])] + \
           [(ATTACH, 0, 1, 0), (ATTACH, 0, 2, 0), (ATTACH, 1, 3, 0), (ATTACH, 2, 4, 0), (ATTACH, 2, 5, 0)]


def failing(*step, at=1):  # the step with its `at`th call failing
    return [(FAULT, 0, NO_MEMORY, at - 1), step]


SEEDS = {
    "shape": program(*tree(), (DETACH, 2, 4, 0), (DETACH, 0, 4, 0), (ATTACH, 4, 2, 0), (DETACH, 0, 1, 0),
                     (ATTACH, 5, 1, 0)),
    "payload": program(*[(NEW, n, 0, n) for n in range(5)], *[(SET, n, 4, 7) for n in range(5)],
                       (SET, 3, 0, 1), (ASSIGN, 0, 4, 0), (ASSIGN, 1, 2, 0), (ASSIGN, 2, 1, 0),
                       (ASSIGN, 3, 3, 0), (COPY, LOCAL, 2, 0), (COPY, LOCAL + 1, 3, 0), (ASSIGN, 3, LOCAL + 1, 0),
                       (ATTACH, LOCAL, 0, 0), (DELETE, LOCAL, 0, 0), (DELETE, LOCAL + 1, 0, 0),
                       (NEW, LOCAL, 0, TABLED), (COPY, LOCAL + 1, LOCAL, 0)),
    "delete": program(*tree(), (DELETE, 2, 0, 2), (DELETE, 0, 0, 1), (NEW, 4, 0, TREE),
                      (ATTACH, 5, 4, 0), (NEW, 4, 0, BYTES), (DELETE, 5, 0, 0), (DELETE, 9, 0, 0)),
    "positive": program(*tree(), *[s for at in range(1, 30, 3)
                                   for s in [(FAULT, 0, POSITIVE, at - 1), (DELETE, 2, 0, at % 3), *tree()]]),
    "fault-attach": program(*tree(), (NEW, 6, 0, VALUE), *failing(ATTACH, 3, 6, 0, at=2)),
    "fault-detach": program(*tree(), *failing(DETACH, 2, 4, 0, at=3)),
    "fault-delete": program(*tree(), *failing(DELETE, 0, 0, 1, at=12)),
    "fault-orphans": program(*tree(), *failing(DELETE, 0, 0, 2, at=2)),
    "fault-new": program(*tree(), *failing(NEW, 0, 0, TREE, at=30)),
    "fault-copy": program(*tree(), (NEW, 7, 0, TABLED), *failing(COPY, LOCAL, 7, 0, at=4)),
}

if __name__ == "__main__":
    out = pathlib.Path(__file__).with_name("corpus")
    for old in out.glob("*"):
        old.unlink()
    out.mkdir(exist_ok=True)
    for name, data in SEEDS.items():
        (out / name).write_bytes(data)
