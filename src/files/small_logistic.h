/* The logistic in single precision, the same bits on every machine: float
 * additions and multiplications in a fixed order and one conversion, no libm
 * (whose expf differs between C libraries in the last bit, so a check made
 * here would not hold on the device). Against the exact logistic: relative error below 1.5e-7
 * (as 1 / (1 + expf(-net)) with glibc) where the result is a normal float;
 * exactly 0 below net = -88.4, as expf's overflow gives a little later. A
 * NaN gives 1.
 * Two spellings of one function: ksr_logistic_f for one value, and
 * ksr_logistic_lanes_f, which compilers vectorise in a loop; their results
 * are the same bits.
 * The exported float C source carries a copy; the export's emulation
 * includes this file. Needs <stdint.h> and <string.h>; multiply-add
 * contraction must be off. */
#ifndef KESTRINE_SMALL_LOGISTIC_H
#define KESTRINE_SMALL_LOGISTIC_H

/* x where `x > limit` (x < limit when below is 1), else limit; a NaN gives
 * limit. By a mask: compilers keep a choice between floats as a branch, which
 * stops them working on several at once. */
static inline float ksr_hold_f(float x, float limit, int below) {
    const int32_t inside = -(int32_t)(below ? x < limit : x > limit);
    int32_t a, b;
    memcpy(&a, &x, sizeof a);
    memcpy(&b, &limit, sizeof b);
    a = (a & inside) | (b & ~inside);
    memcpy(&x, &a, sizeof x);
    return x;
}

/* e^t for t in [-87, 89], then the logistic of -t. From -87, e^t stays a
 * normal float (the logistic is 1 to single precision long before); near 89,
 * n reaches 128, whose 2^n is infinite, so the logistic is exactly 0 there,
 * as with expf's overflow, and not a subnormal number that would slow every
 * later operation on it. */
static inline float ksr_logistic_held_f(float t) {
    float z, n, r, p, e, two_n;
    int32_t bits;
    /* t = n ln 2 + r with n whole (rounded to nearest by the 1.5 * 2^23 trick) and |r| <= ln 2 / 2. */
    z = t * 1.44269504f;
    n = (z + 12582912.0f) - 12582912.0f;
    r = t - n * 0.693359375f; /* ln 2 in two parts; the first times n is exact */
    r = r - n * -2.12194440e-4f;
    p = 1.9875691500e-4f;
    p = p * r + 1.3981999507e-3f;
    p = p * r + 8.3334519073e-3f;
    p = p * r + 4.1665795894e-2f;
    p = p * r + 1.6666665459e-1f;
    p = p * r + 5.0000001201e-1f;
    e = p * (r * r) + r + 1.0f;
    bits = ((int32_t)n + 127) * 8388608; /* 2^n: the exponent field, n in -126..128 */
    memcpy(&two_n, &bits, sizeof two_n);
    return 1.0f / (1.0f + e * two_n);
}

/* One at a time. A NaN is held at -87 too, so the conversion above is defined. */
static inline float ksr_logistic_f(float net) {
    float t = -net;
    t = t > -87.0f ? t : -87.0f;
    t = t < 89.0f ? t : 89.0f;
    return ksr_logistic_held_f(t);
}

/* The same numbers, for a loop over many: the holds by masks. */
static inline float ksr_logistic_lanes_f(float net) {
    return ksr_logistic_held_f(ksr_hold_f(ksr_hold_f(-net, -87.0f, 0), 89.0f, 1));
}

#endif
