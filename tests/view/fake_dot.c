/*
 * A stand-in for Graphviz's dot: prints its arguments, one a line, then
 * copies its standard input to its standard output, so that a test reads
 * back what it was given; fails with status 3 when ZODOVAR9_FAKE_DOT_FAIL is
 * set.
 */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    int c, i;
    for (i = 1; i < argc; ++i) printf("%s\n", argv[i]);
    while ((c = getchar()) != EOF) putchar(c);
    return getenv("ZODOVAR9_FAKE_DOT_FAIL") ? 3 : 0;
}
