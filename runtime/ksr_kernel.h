/* The numbers of a Kestrine network, in one place: the activation of every
 * receptor with its slope, the scaling of inputs onto sensors, and the
 * conversion to 32 bits that both rely on. The trainer, the runtime library
 * and the exported C source (which carries a copy of this file) all compute
 * with these functions, so they agree bit for bit. C99, static inline, libm
 * only. The file including it turns off multiply-add contraction. */
#ifndef KSR_KERNEL_H
#define KSR_KERNEL_H

#include <math.h>
#include <stdint.h>

/* Receptor kinds. */
#define KSR_KIND_SENSOR 1
#define KSR_KIND_PROCESSOR 2
#define KSR_KIND_BIAS 3
#define KSR_KIND_ACTION 4

/* Input types. */
#define KSR_TYPE_BOOLEAN 0
#define KSR_TYPE_RANGED_INTEGER 1
#define KSR_TYPE_RANGED_DOUBLE 2
#define KSR_TYPE_DESCRIPTOR_LIST 7

/* Activation codes of processors: output range, formula, slope (d out / d net).
 *   0 step          {0, 1}   1 when net >= threshold              slope 0
 *   1 linear        any      net                                  slope 1
 *   2 logistic      (0, 1)   1 / (1 + e^-net)                     slope out * (1 - out)
 *   3 band          {0, 1}   1 when |net| <= threshold            slope 0
 *   4 negative step {0, 1}   1 when net <= -threshold             slope 0
 *   5 step          {0, 1}   as 0                                 slope 0
 *   6 bit           {0, 1}   bit (bit index mod 32) of trunc(net)  slope 0
 *   other           0                                             slope 0
 * Action receptors are logistic, or linear (out = net) when their linear flag is set. */
#define KSR_STEP 0
#define KSR_LINEAR 1
#define KSR_LOGISTIC 2
#define KSR_BAND 3
#define KSR_NEGATIVE_STEP 4
#define KSR_STEP2 5
#define KSR_BIT 6

/* Truncation toward zero to 32 bits; NaN and values out of range give
 * INT32_MIN, as the x86 conversion instruction does. */
static inline int32_t ksr_trunc32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
    return (int32_t)v;
}

static inline double ksr_logistic(double net) { return 1.0 / (1.0 + exp(-net)); }

static inline double ksr_processor_output(int32_t code, double net, double threshold, int32_t bit_index) {
    switch (code) {
    case KSR_STEP:
    case KSR_STEP2: return net >= threshold ? 1.0 : 0.0;
    case KSR_LINEAR: return net;
    case KSR_LOGISTIC: return ksr_logistic(net);
    case KSR_BAND: return fabs(net) <= threshold ? 1.0 : 0.0;
    case KSR_NEGATIVE_STEP: return net <= -threshold ? 1.0 : 0.0;
    case KSR_BIT: return (((uint32_t)ksr_trunc32(net) >> ((uint32_t)bit_index % 32u)) & 1u) ? 1.0 : 0.0;
    default: return 0.0;
    }
}

/* The slope of a processor's activation, from its output. */
static inline double ksr_processor_slope(int32_t code, double out) {
    if (code == KSR_LOGISTIC) return out * (1.0 - out);
    if (code == KSR_LINEAR) return 1.0;
    return 0.0; /* the steps pass no gradient */
}

static inline double ksr_action_output(int linear, double net) { return linear ? net : ksr_logistic(net); }

static inline double ksr_action_slope(int linear, double out) { return linear ? 1.0 : out * (1.0 - out); }

/* Sensors map a ranged input onto -3..+3 and a Descriptor List's index onto
 * 0..4 (rounded to single precision); a Boolean is 0 or 1. The factor depends
 * only on the input, so callers may keep it. A range whose factor is not a
 * finite number (a range of zero, a subnormal or a non-finite one) has none:
 * such an input sits at the bottom, -3, so no sensor ever sends NaN or an
 * infinity into the network. */
static inline double ksr_sensor_scale(int32_t type, int32_t items, double range) {
    double scale;
    if (type == KSR_TYPE_DESCRIPTOR_LIST) return items > 1 ? 4.0 / (items - 1) : 0.0;
    if (range == 0.0) return 0.0;
    scale = 6.0 / range;
    return isfinite(scale) && isfinite(range) ? scale : 0.0;
}

static inline double ksr_sensor_output(int32_t type, int32_t items, double minimum, double scale, double value) {
    if (type == KSR_TYPE_BOOLEAN) return value == 0.0 ? 0.0 : 1.0;
    if (type == KSR_TYPE_DESCRIPTOR_LIST) {
        if (items <= 1) return 0.0; /* no scale exists for zero or one item */
        return (double)(float)(scale * (double)ksr_trunc32(value));
    }
    if (scale == 0.0) return -3.0; /* an empty range sits at the bottom */
    {
        const double out = (value - minimum) * scale - 3.0;
        return isfinite(out) ? out : -3.0; /* a value the range cannot place */
    }
}

#endif
