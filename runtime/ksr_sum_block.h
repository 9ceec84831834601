/* The inner loop of the forward pass, shared by ksr_runtime.c and the C
 * source that Kestrine exports (which carries a copy of it). Include it after
 * defining LANES (16) and including <string.h>. The file including it also
 * turns off multiply-add contraction. */
/* Sixteen sums advance together, each in its own order. With GCC or Clang
 * they live in vector registers as wide as the target has (SSE2 on any
 * x86-64, AVX where the compiler may use it); other compilers get the same
 * arithmetic in plain C. Either way nothing is fused into a multiply-add. */
#if defined(__GNUC__) && defined(__AVX__)
#define VW 4
#elif defined(__GNUC__) && (defined(__SSE2__) || defined(__aarch64__))
#define VW 2
#endif

#ifdef VW
typedef double vec __attribute__((vector_size(VW * sizeof(double))));

static vec load_vec(const double *p) {
    vec v;
    memcpy(&v, p, sizeof v);
    return v;
}

static vec splat(double x) {
    vec v = {0};
    int k;
    for (k = 0; k < VW; ++k) v[k] = x;
    return v;
}

static vec gather(const double *values, const int *src) {
    vec v = {0};
    int k;
    for (k = 0; k < VW; ++k) v[k] = values[src[k]];
    return v;
}

/* The accumulators are named one by one so they stay in registers. */
#if VW == 4
#define EACH(X) X(0) X(1) X(2) X(3)
#else
#define EACH(X) X(0) X(1) X(2) X(3) X(4) X(5) X(6) X(7)
#endif
#define DECLARE(q) vec a##q = splat(0.0);
#define ADD_SHARED(q) a##q += x * load_vec(w + q * VW);
#define ADD_OWN(q) a##q += gather(values, src + q * VW) * load_vec(w + q * VW);
#define STORE(q) memcpy(acc + q * VW, &a##q, sizeof a##q);

static void sum_block(const double *values, const int *src, const double *w, const unsigned char *uniform, int steps,
                      double *acc) {
    int j;
    EACH(DECLARE)
    for (j = 0; j < steps; ++j, src += LANES, w += LANES) {
        if (uniform[j]) {
            const vec x = splat(values[src[0]]);
            EACH(ADD_SHARED)
        } else {
            EACH(ADD_OWN)
        }
    }
    EACH(STORE)
}
#else
static void sum_block(const double *values, const int *src, const double *w, const unsigned char *uniform, int steps,
                      double *acc) {
    int j, lane;
    for (lane = 0; lane < LANES; ++lane) acc[lane] = 0.0;
    for (j = 0; j < steps; ++j, src += LANES, w += LANES) {
        if (uniform[j]) {
            const double x = values[src[0]];
            for (lane = 0; lane < LANES; ++lane) acc[lane] += x * w[lane];
        } else {
            for (lane = 0; lane < LANES; ++lane) acc[lane] += values[src[lane]] * w[lane];
        }
    }
}
#endif
