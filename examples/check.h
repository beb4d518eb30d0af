/*
 * CHECK(call): runs a library call and, on a negative status, names the call
 * and says what the status means on stderr, then returns 1 from the calling
 * function.
 */
#ifndef ZODOVAR9_EXAMPLES_CHECK_H
#define ZODOVAR9_EXAMPLES_CHECK_H

#include <zodovar9/status_text.h>

#include <stdint.h>
#include <stdio.h>

#define CHECK(call)                                                                                                    \
    do {                                                                                                               \
        cstd_status status_ = (call);                                                                                  \
        if (status_ < 0) {                                                                                             \
            fprintf(stderr, "%s failed: %s (status 0x%08lx)\n", #call, zodovar9_statusText(status_),                   \
                    (unsigned long)(uint32_t)status_);                                                                 \
            return 1;                                                                                                  \
        }                                                                                                              \
    } while (0)

#endif
