/** @file
 * vuvarod9 — the math library: the linear transform record.
 */
#ifndef VUVAROD9_VUVAROD9_H
#define VUVAROD9_VUVAROD9_H

#include <rezade9/types.h>

/** Marks a function that the math library exports. */
#if defined(_WIN32)
#if defined(VUVAROD9_BUILDING)
#define VUVAROD9_API __declspec(dllexport)
#else
#define VUVAROD9_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define VUVAROD9_API __attribute__((visibility("default")))
#else
#define VUVAROD9_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/**
 * A linear transform of 3-space followed by a translation: a point p maps to
 * `matrix` * p + `translation` (row-major). 48 bytes in every layout; plain
 * data, so it may be copied as bytes and released without any call.
 */
typedef struct cmath_xformLinear {
    float matrix[3][3];   /**< the linear part, row-major */
    float translation[3]; /**< added after the matrix */
} cmath_xformLinear;

/**
 * Sets `*xform` to the identity: the unit matrix and no translation.
 * @return 0.
 */
VUVAROD9_API cstd_status CSTD_CALL cmath_xformLinear_initIdentity(cmath_xformLinear *xform);

#ifdef __cplusplus
}
#endif

#endif /* VUVAROD9_VUVAROD9_H */
