/*
 * CHECK(call): runs a library call and, on a negative status, names the call
 * and its status on stderr and returns 1 from the calling function.
 */
#ifndef ZODOVAR9_EXAMPLES_CHECK_H
#define ZODOVAR9_EXAMPLES_CHECK_H

#include <stdint.h>
#include <stdio.h>

#define CHECK(call)                                                                                                    \
    do {                                                                                                               \
        cstd_status status_ = (call);                                                                                  \
        if (status_ < 0) {                                                                                             \
            fprintf(stderr, "%s failed: status 0x%08lx\n", #call, (unsigned long)(uint32_t)status_);                   \
            return 1;                                                                                                  \
        }                                                                                                              \
    } while (0)

#endif
