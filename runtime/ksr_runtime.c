/* ksr_runtime: loads a Kestrine runtime file and evaluates it exactly as the
 * trainer does: the same sensor scaling, the same sums in the same order,
 * the same activations and the same winner rule. */
#include "ksr_runtime.h"

/* No multiply-add may be fused, whatever the compiler's defaults, or the
 * values would differ from the trainer's in the last bits. */
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif

#include <limits.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ksr_kernel.h"

enum { LANES = 16 };               /* receivers evaluated side by side */
enum { BATCH = 4 };                /* cases evaluated side by side by ksr_decide_batch */
enum { HEADER = 24, RECEPTOR = 28, CONNECTION = 32, VARIABLE_CORE = 160 };
#define MAX_COUNT (1 << 24)        /* no real network comes near this */

typedef struct variable {
    int id, type, items;
    double minimum, maximum, value;
    double scale;                  /* 6 / range, or 4 / (items - 1): what the sensor multiplies by */
} variable;

typedef struct receptor {
    int id, kind, code, variable_id, output_id;
    int variable;                  /* index into the variables, -1: none */
    int has_output;                /* the output ID names an output of the file */
    double bias, net, out;
} receptor;

typedef struct id_entry {
    int id, index;
} id_entry;

typedef struct block {
    int first_step, steps, lanes;
    int receiver[LANES];
} block;

struct ksr_model {
    int n_inputs, n_outputs, n_receptors, n_connections;
    variable *variables;
    int *outputs;
    receptor *receptors;
    int *link_start;               /* CSR of each receptor's incoming links, in file order */
    int *link_sender;
    double *link_weight;
    int *sensors, n_sensors;
    int *processors, n_processors;
    int *actions, n_actions;
    double *values;                /* 0: the constant 0; receptor r at r + 1 */
    int layered;                   /* no stage reads a receiver of its own or a later stage */
    block *blocks;
    int n_processor_blocks, n_blocks;
    int *step_source;              /* LANES per step */
    double *step_weight;
    unsigned char *step_uniform;
    id_entry *variable_ids;        /* sorted, for ksr_set_input */
    double *batch_values;          /* BATCH cases side by side: receptor r's values at (r + 1) * BATCH */
};

const char *ksr_status_message(ksr_status status) {
    switch (status) {
    case KSR_OK: return "success";
    case KSR_ERR_ARGUMENT: return "a null pointer or an index out of range was given";
    case KSR_ERR_IO: return "the runtime file cannot be opened or read";
    case KSR_ERR_TRUNCATED: return "the runtime file ends inside a section; it is incomplete";
    case KSR_ERR_COUNT: return "a count in the runtime file is negative or larger than the file can hold";
    case KSR_ERR_FORMAT: return "the runtime file is inconsistent: it is damaged or not a runtime file";
    case KSR_ERR_NO_MEMORY: return "there is not enough memory to load the runtime file";
    case KSR_ERR_UNKNOWN_INPUT: return "no input of the model has that ID";
    }
    return "unknown status";
}

static double sensor_scale(const variable *v);
static double send_value(const receptor *r) { return r->kind == KSR_KIND_BIAS ? r->bias : r->out; }

/* ------------------------------------------------------------- reading */

typedef struct reader {
    const unsigned char *data;
    size_t size, pos;
} reader;

static int32_t get_i32(const unsigned char *p) {
    uint32_t v = (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
    int32_t r;
    memcpy(&r, &v, sizeof r);
    return r;
}

static double get_f64(const unsigned char *p) {
    uint64_t v = 0;
    double r;
    int i;
    for (i = 7; i >= 0; --i) v = (v << 8) | p[i];
    memcpy(&r, &v, sizeof r);
    return r;
}

static int need(const reader *rd, size_t n) { return rd->size - rd->pos >= n; }

/* Checks a count against the records of `record` bytes that must follow. */
static ksr_status check_count(const reader *rd, int32_t count, size_t record) {
    if (count < 0 || count > MAX_COUNT) return KSR_ERR_COUNT;
    if (record && (size_t)count > (rd->size - rd->pos) / record) return KSR_ERR_COUNT;
    return KSR_OK;
}

/* One walk over the file: validates and counts (model NULL), or fills. */
static ksr_status walk(reader *rd, ksr_model *m, int32_t counts[4], size_t *items_total) {
    int32_t i;
    ksr_status st;
    rd->pos = 0;
    if (!need(rd, HEADER)) return KSR_ERR_TRUNCATED;
    counts[0] = get_i32(rd->data + 0);  /* inputs */
    counts[1] = get_i32(rd->data + 4);  /* outputs */
    counts[2] = get_i32(rd->data + 16); /* receptors */
    counts[3] = get_i32(rd->data + 20); /* connections */
    rd->pos = HEADER;
    if ((st = check_count(rd, counts[2], RECEPTOR)) != KSR_OK) return st;
    for (i = 0; i < counts[2]; ++i, rd->pos += RECEPTOR) {
        if (m) {
            receptor *r = &m->receptors[i];
            const unsigned char *p = rd->data + rd->pos;
            r->id = get_i32(p);
            r->kind = get_i32(p + 4);
            r->code = get_i32(p + 8);
            r->variable_id = get_i32(p + 12);
            r->output_id = get_i32(p + 16);
            r->bias = get_f64(p + 20);
            r->net = r->out = 0.0;
            r->variable = -1;
            r->has_output = 0;
        }
    }
    if ((st = check_count(rd, counts[3], CONNECTION)) != KSR_OK) return st;
    rd->pos += (size_t)counts[3] * CONNECTION; /* read in a second step, once receptors are known */
    if ((st = check_count(rd, counts[1], 4)) != KSR_OK) return st;
    for (i = 0; i < counts[1]; ++i, rd->pos += 4)
        if (m) m->outputs[i] = get_i32(rd->data + rd->pos);
    if ((st = check_count(rd, counts[0], VARIABLE_CORE + 4)) != KSR_OK) return st;
    *items_total = 0;
    for (i = 0; i < counts[0]; ++i) {
        const unsigned char *p;
        int32_t type, items;
        if (!need(rd, VARIABLE_CORE + 4)) return KSR_ERR_TRUNCATED;
        p = rd->data + rd->pos;
        type = get_i32(p);
        items = get_i32(p + VARIABLE_CORE);
        if (m) {
            variable *v = &m->variables[i];
            v->type = type;
            v->minimum = get_f64(p + 8);
            v->maximum = get_f64(p + 16);
            v->value = get_f64(p + 24);
            v->id = get_i32(p + 64);
            v->items = items;
            v->scale = 0.0;
        }
        rd->pos += VARIABLE_CORE + 4;
        if (type == KSR_TYPE_DESCRIPTOR_LIST) {
            if ((st = check_count(rd, items, 8)) != KSR_OK) return st;
            rd->pos += (size_t)items * 8;
            *items_total += (size_t)items;
        }
    }
    if (rd->pos != rd->size) return KSR_ERR_FORMAT;
    return KSR_OK;
}

/* Lookup by ID in O(log n): entries sorted by ID, then by position, so the
 * first match is the first in file order. */

static int compare_id_entry(const void *a, const void *b) {
    const id_entry *x = (const id_entry *)a, *y = (const id_entry *)b;
    if (x->id != y->id) return x->id < y->id ? -1 : 1;
    return x->index < y->index ? -1 : (x->index > y->index);
}

static int find_id(const id_entry *entries, int n, int id) {
    int lo = 0, hi = n;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (entries[mid].id < id) lo = mid + 1;
        else hi = mid;
    }
    return lo < n && entries[lo].id == id ? entries[lo].index : -1;
}

/* The kind lists in file order; a later receptor repeating the head's ID is
 * left out, as the trainer's lists do. */
static int kind_list(const ksr_model *m, int kind, int *list) {
    int i, n = 0;
    for (i = 0; i < m->n_receptors; ++i) {
        if (m->receptors[i].kind != kind) continue;
        if (n > 0 && m->receptors[list[0]].id == m->receptors[i].id) continue;
        list[n++] = i;
    }
    return n;
}

static int links_of(const ksr_model *m, int r) { return m->link_start[r + 1] - m->link_start[r]; }

/* Blocks of receivers with equal link counts, so no real receiver ever adds
 * a padding step. Within a count receivers keep their order; the order of
 * receivers across a stage does not matter once the network is layered. */
typedef struct by_count {
    int count, position, receptor;
} by_count;

static int compare_by_count(const void *a, const void *b) {
    const by_count *x = (const by_count *)a, *y = (const by_count *)b;
    if (x->count != y->count) return x->count < y->count ? -1 : 1;
    return x->position < y->position ? -1 : (x->position > y->position);
}

static void build_blocks(ksr_model *m, const int *stage, int n, by_count *order, int *step_count) {
    int i, k;
    block *b = NULL;
    for (i = 0; i < n; ++i) {
        order[i].count = links_of(m, stage[i]);
        order[i].position = i;
        order[i].receptor = stage[i];
    }
    qsort(order, (size_t)n, sizeof *order, compare_by_count);
    for (i = 0; i < n; ++i) {
        const int r = order[i].receptor, count = order[i].count;
        if (!b || b->lanes == LANES || b->steps != count) {
            b = &m->blocks[m->n_blocks++];
            b->first_step = *step_count;
            b->steps = count;
            b->lanes = 0;
            *step_count += count;
        }
        for (k = 0; k < count; ++k) {
            const size_t at = (size_t)(b->first_step + k) * LANES + (size_t)b->lanes;
            m->step_source[at] = m->link_sender[m->link_start[r] + k] + 1;
            m->step_weight[at] = m->link_weight[m->link_start[r] + k];
        }
        b->receiver[b->lanes++] = r;
    }
}

/* A step is uniform when every live lane of its block reads the same sender;
 * empty lanes compute a discarded sum either way. */
static void mark_uniform_steps(ksr_model *m) {
    int b, j, lane;
    for (b = 0; b < m->n_blocks; ++b) {
        const block *bl = &m->blocks[b];
        for (j = 0; j < bl->steps; ++j) {
            const int *src = m->step_source + (size_t)(bl->first_step + j) * LANES;
            unsigned char uniform = 1;
            for (lane = 1; lane < bl->lanes; ++lane)
                if (src[lane] != src[0]) uniform = 0;
            m->step_uniform[bl->first_step + j] = uniform;
        }
    }
}

/* Carves one allocation into the model's arrays. */
static void *carve(unsigned char **at, size_t bytes) {
    void *p = *at;
    *at += (bytes + 15) & ~(size_t)15;
    return p;
}

ksr_status ksr_load_memory(const void *data, size_t size, ksr_model **out, size_t *error_offset) {
    reader rd;
    int32_t counts[4];
    size_t items = 0, total, n_rec, n_con, n_in, n_out, steps_max;
    ksr_status st;
    ksr_model *m;
    unsigned char *at;
    int i, step_count = 0, *stage, *next_link;
    id_entry *receptor_ids, *variable_ids, *output_ids;
    by_count *order;
    if (out) *out = NULL;
    if (error_offset) *error_offset = 0;
    if (!out || (!data && size)) return KSR_ERR_ARGUMENT;
    rd.data = (const unsigned char *)data;
    rd.size = size;
    rd.pos = 0;
    st = walk(&rd, NULL, counts, &items);
    if (st != KSR_OK) {
        if (error_offset) *error_offset = rd.pos;
        return st;
    }
    n_in = (size_t)counts[0];
    n_out = (size_t)counts[1];
    n_rec = (size_t)counts[2];
    n_con = (size_t)counts[3];
    steps_max = n_con + 1;
    /* Every array below, each rounded up to 16 bytes by carve(). */
    total = 16 * 32 + sizeof(ksr_model) + n_in * sizeof(variable) + n_out * sizeof(int) + n_rec * sizeof(receptor) +
            (n_rec + 1) * sizeof(int) + n_con * (sizeof(int) + sizeof(double)) + 3 * n_rec * sizeof(int) +
            (n_rec + 1) * sizeof(double) * (1 + BATCH) + n_rec * sizeof(block) + steps_max * LANES * (sizeof(int) + sizeof(double)) +
            steps_max + 2 * n_rec * sizeof(int) + (n_rec + n_in + n_out) * sizeof(id_entry) + n_rec * sizeof(by_count);
    at = (unsigned char *)calloc(1, total);
    if (!at) return KSR_ERR_NO_MEMORY;
    m = (ksr_model *)carve(&at, sizeof(ksr_model));
    m->n_inputs = counts[0];
    m->n_outputs = counts[1];
    m->n_receptors = counts[2];
    m->n_connections = counts[3];
    m->variables = (variable *)carve(&at, (size_t)counts[0] * sizeof(variable));
    m->outputs = (int *)carve(&at, (size_t)counts[1] * sizeof(int));
    m->receptors = (receptor *)carve(&at, n_rec * sizeof(receptor));
    m->link_start = (int *)carve(&at, (n_rec + 1) * sizeof(int));
    m->link_sender = (int *)carve(&at, n_con * sizeof(int));
    m->link_weight = (double *)carve(&at, n_con * sizeof(double));
    m->sensors = (int *)carve(&at, n_rec * sizeof(int));
    m->processors = (int *)carve(&at, n_rec * sizeof(int));
    m->actions = (int *)carve(&at, n_rec * sizeof(int));
    m->values = (double *)carve(&at, (n_rec + 1) * sizeof(double));
    m->batch_values = (double *)carve(&at, (n_rec + 1) * BATCH * sizeof(double));
    m->blocks = (block *)carve(&at, n_rec * sizeof(block));
    m->step_source = (int *)carve(&at, steps_max * LANES * sizeof(int));
    m->step_weight = (double *)carve(&at, steps_max * LANES * sizeof(double));
    m->step_uniform = (unsigned char *)carve(&at, steps_max);
    stage = (int *)carve(&at, n_rec * sizeof(int));
    next_link = (int *)carve(&at, n_rec * sizeof(int));
    receptor_ids = (id_entry *)carve(&at, n_rec * sizeof(id_entry));
    variable_ids = (id_entry *)carve(&at, n_in * sizeof(id_entry));
    output_ids = (id_entry *)carve(&at, n_out * sizeof(id_entry));
    order = (by_count *)carve(&at, n_rec * sizeof(by_count));
    walk(&rd, m, counts, &items);
    for (i = 0; i < m->n_receptors; ++i) {
        receptor_ids[i].id = m->receptors[i].id;
        receptor_ids[i].index = i;
    }
    for (i = 0; i < m->n_inputs; ++i) {
        variable_ids[i].id = m->variables[i].id;
        variable_ids[i].index = i;
    }
    for (i = 0; i < m->n_outputs; ++i) {
        output_ids[i].id = m->outputs[i];
        output_ids[i].index = i;
    }
    qsort(receptor_ids, n_rec, sizeof *receptor_ids, compare_id_entry);
    qsort(variable_ids, n_in, sizeof *variable_ids, compare_id_entry);
    m->variable_ids = variable_ids;
    for (i = 0; i < m->n_inputs; ++i) m->variables[i].scale = sensor_scale(&m->variables[i]);
    qsort(output_ids, n_out, sizeof *output_ids, compare_id_entry);

    /* Connections: both ends must be receptors of the file. */
    {
        size_t base = HEADER + n_rec * RECEPTOR;
        int32_t c;
        for (c = 0; c < counts[3]; ++c) {
            const unsigned char *p = rd.data + base + (size_t)c * CONNECTION;
            int s = find_id(receptor_ids, m->n_receptors, get_i32(p + 4));
            int r = find_id(receptor_ids, m->n_receptors, get_i32(p + 8));
            if (s < 0 || r < 0) {
                if (error_offset) *error_offset = base + (size_t)c * CONNECTION;
                ksr_free(m);
                return KSR_ERR_FORMAT;
            }
            m->link_start[r + 1]++;
        }
        for (i = 0; i < m->n_receptors; ++i) m->link_start[i + 1] += m->link_start[i];
        if (n_rec) memcpy(next_link, m->link_start, n_rec * sizeof(int));
        for (c = 0; c < counts[3]; ++c) {
            const unsigned char *p = rd.data + base + (size_t)c * CONNECTION;
            int s = find_id(receptor_ids, m->n_receptors, get_i32(p + 4));
            int r = find_id(receptor_ids, m->n_receptors, get_i32(p + 8));
            int k = next_link[r]++;
            m->link_sender[k] = s;
            m->link_weight[k] = get_f64(p + 16);
        }
    }

    for (i = 0; i < m->n_receptors; ++i) {
        receptor *r = &m->receptors[i];
        if (r->kind == KSR_KIND_SENSOR && r->variable_id > 0) r->variable = find_id(variable_ids, m->n_inputs, r->variable_id);
        if (r->kind == KSR_KIND_ACTION && r->output_id > 0) r->has_output = find_id(output_ids, m->n_outputs, r->output_id) >= 0;
    }
    m->n_sensors = kind_list(m, KSR_KIND_SENSOR, m->sensors);
    m->n_processors = kind_list(m, KSR_KIND_PROCESSOR, m->processors);
    m->n_actions = kind_list(m, KSR_KIND_ACTION, m->actions);

    /* Stage marks: 2 listed processors, 3 listed actions. */
    if (n_rec) memset(stage, 0, n_rec * sizeof(int));
    for (i = 0; i < m->n_processors; ++i) stage[m->processors[i]] = 2;
    for (i = 0; i < m->n_actions; ++i) stage[m->actions[i]] = 3;
    m->layered = 1;
    for (i = 0; i < m->n_receptors; ++i) {
        int k;
        if (!stage[i]) continue;
        for (k = m->link_start[i]; k < m->link_start[i + 1]; ++k)
            if (stage[m->link_sender[k]] >= stage[i]) m->layered = 0;
    }
    for (i = 0; i < m->n_receptors; ++i) m->values[i + 1] = send_value(&m->receptors[i]);
    if (m->layered) {
        build_blocks(m, m->processors, m->n_processors, order, &step_count);
        m->n_processor_blocks = m->n_blocks;
        build_blocks(m, m->actions, m->n_actions, order, &step_count);
        mark_uniform_steps(m);
    }
    *out = m;
    return KSR_OK;
}

/* Read in pieces until the end: a size asked of the file (fseek/ftell)
   means nothing for a folder or a device, and would be believed. */
#define KSR_MAX_FILE_BYTES ((size_t)1 << 30)

ksr_status ksr_load_file(const char *path, ksr_model **out, size_t *error_offset) {
    FILE *f;
    unsigned char *data = NULL;
    size_t size = 0, capacity = 0;
    ksr_status st;
    if (out) *out = NULL;
    if (error_offset) *error_offset = 0;
    if (!path || !out) return KSR_ERR_ARGUMENT;
    f = fopen(path, "rb");
    if (!f) return KSR_ERR_IO;
    for (;;) {
        size_t got;
        if (size == capacity) {
            unsigned char *grown;
            if (capacity >= KSR_MAX_FILE_BYTES) {
                free(data);
                fclose(f);
                return KSR_ERR_FORMAT;
            }
            capacity = capacity ? capacity * 2 : 65536;
            grown = (unsigned char *)realloc(data, capacity);
            if (!grown) {
                free(data);
                fclose(f);
                return KSR_ERR_NO_MEMORY;
            }
            data = grown;
        }
        got = fread(data + size, 1, capacity - size, f);
        size += got;
        if (got == 0) break;
    }
    if (ferror(f)) {
        free(data);
        fclose(f);
        return KSR_ERR_IO;
    }
    fclose(f);
    st = ksr_load_memory(data, size, out, error_offset);
    free(data);
    return st;
}

void ksr_free(ksr_model *model) { free(model); }

/* ---------------------------------------------------------- evaluation */

/* The factor a sensor scales its input by, computed once at loading. */
static double sensor_scale(const variable *v) { return ksr_sensor_scale(v->type, v->items, v->maximum - v->minimum); }

static double sensor_value(const variable *v) {
    return ksr_sensor_output(v->type, v->items, v->minimum, v->scale, v->value);
}

/* Thresholds, bit indexes and the linear flag of actions are not in the
 * runtime file: they are taken as 0. */
static double activate(const receptor *r, double net) {
    if (r->kind == KSR_KIND_ACTION) return ksr_action_output(0, net);
    return ksr_processor_output(r->code, net, 0.0, 0);
}

static void finish(ksr_model *m, int index, double net) {
    receptor *r = &m->receptors[index];
    r->net = net;
    if (r->kind == KSR_KIND_ACTION || r->code == KSR_LOGISTIC)
        r->out = ksr_logistic(net); /* the common case, without the switch */
    else
        r->out = activate(r, net);
    m->values[index + 1] = send_value(r);
}

#include "ksr_sum_block.h"

static void run_blocks(ksr_model *m, int first, int last) {
    int b;
    for (b = first; b < last; ++b) {
        const block *bl = &m->blocks[b];
        double acc[LANES];
        int lane;
        sum_block(m->values, m->step_source + (size_t)bl->first_step * LANES,
                  m->step_weight + (size_t)bl->first_step * LANES, m->step_uniform + bl->first_step, bl->steps, acc);
        for (lane = 0; lane < bl->lanes; ++lane) finish(m, bl->receiver[lane], acc[lane]);
    }
}

static void run_sequential(ksr_model *m, const int *list, int n) {
    int i, k;
    for (i = 0; i < n; ++i) {
        const int r = list[i];
        double sum = 0.0;
        for (k = m->link_start[r]; k < m->link_start[r + 1]; ++k)
            sum += send_value(&m->receptors[m->link_sender[k]]) * m->link_weight[k];
        finish(m, r, sum);
    }
}

int ksr_decide(ksr_model *m) {
    int i, winner = -1;
    double best = -1.0;
    if (!m) return 0;
    /* Only sensors change before the stages: every other value slot holds what
     * its receptor sends (biases from loading, the stages write their own). */
    for (i = 0; i < m->n_sensors; ++i) {
        const int index = m->sensors[i];
        receptor *r = &m->receptors[index];
        if (r->variable < 0) continue; /* keeps its value */
        r->net = m->variables[r->variable].value;
        r->out = sensor_value(&m->variables[r->variable]);
        m->values[index + 1] = r->out;
    }
    if (m->layered) {
        run_blocks(m, 0, m->n_processor_blocks);
        run_blocks(m, m->n_processor_blocks, m->n_blocks);
    } else {
        run_sequential(m, m->processors, m->n_processors);
        run_sequential(m, m->actions, m->n_actions);
    }
    for (i = 0; i < m->n_actions; ++i) {
        const receptor *r = &m->receptors[m->actions[i]];
        if (!r->has_output) continue;
        if (r->out > best) { /* NaN never wins; ties keep the first */
            best = r->out;
            winner = m->actions[i];
        }
    }
    return winner < 0 ? 0 : m->receptors[winner].output_id;
}

/* Decides BATCH cases at once: every sum of every case in the same order as
 * ksr_decide takes it, so each case's numbers are the same to the bit; the
 * cases share each weight as it is read. Layered networks only. */
static void decide_batch(ksr_model *m, const double *inputs, int32_t *decisions, double *action_values) {
    double *bv = m->batch_values;
    const int ni = m->n_inputs;
    int i, c, stage;
    for (i = 0; i <= m->n_receptors; ++i)
        for (c = 0; c < BATCH; ++c) bv[i * BATCH + c] = m->values[i];
    for (i = 0; i < m->n_sensors; ++i) {
        const int index = m->sensors[i];
        const receptor *r = &m->receptors[index];
        const variable *v;
        if (r->variable < 0) continue;
        v = &m->variables[r->variable];
        for (c = 0; c < BATCH; ++c)
            bv[(index + 1) * BATCH + c] = ksr_sensor_output(v->type, v->items, v->minimum, v->scale, inputs[c * ni + r->variable]);
    }
    for (stage = 0; stage < 2; ++stage) {
        const int *list = stage == 0 ? m->processors : m->actions;
        const int count = stage == 0 ? m->n_processors : m->n_actions;
        for (i = 0; i < count; ++i) {
            const int index = list[i];
            const receptor *r = &m->receptors[index];
            double acc[BATCH];
            int k;
            for (c = 0; c < BATCH; ++c) acc[c] = 0.0;
            for (k = m->link_start[index]; k < m->link_start[index + 1]; ++k) {
                const double *from = bv + (m->link_sender[k] + 1) * BATCH, w = m->link_weight[k];
                for (c = 0; c < BATCH; ++c) acc[c] += from[c] * w;
            }
            for (c = 0; c < BATCH; ++c)
                bv[(index + 1) * BATCH + c] =
                    r->kind == KSR_KIND_ACTION || r->code == KSR_LOGISTIC ? ksr_logistic(acc[c]) : activate(r, acc[c]);
        }
    }
    for (c = 0; c < BATCH; ++c) {
        double best = -1.0;
        int winner = -1;
        for (i = 0; i < m->n_actions; ++i) {
            const int index = m->actions[i];
            const double out = bv[(index + 1) * BATCH + c];
            if (action_values) action_values[c * m->n_actions + i] = out;
            if (m->receptors[index].has_output && out > best) {
                best = out;
                winner = index;
            }
        }
        decisions[c] = winner < 0 ? 0 : m->receptors[winner].output_id;
    }
}

ksr_status ksr_decide_batch(ksr_model *m, const double *inputs, size_t n, int32_t *decisions, double *action_values) {
    size_t done = 0;
    int i;
    if (!m || (n > 0 && (!inputs || !decisions))) return KSR_ERR_ARGUMENT;
    if (n == 0) return KSR_OK;
    if (m->layered)
        for (; done + BATCH < n; done += BATCH)
            decide_batch(m, inputs + done * (size_t)m->n_inputs, decisions + done,
                         action_values ? action_values + done * (size_t)m->n_actions : NULL);
    /* The rest one at a time; the last case is always decided so, which leaves
     * the model as deciding every case in turn would have left it. */
    for (; done < n; ++done) {
        ksr_set_inputs(m, inputs + done * (size_t)m->n_inputs, m->n_inputs);
        decisions[done] = ksr_decide(m);
        if (action_values)
            for (i = 0; i < m->n_actions; ++i) action_values[done * (size_t)m->n_actions + i] = m->receptors[m->actions[i]].out;
    }
    return KSR_OK;
}

/* ------------------------------------------------------------ accessors */

int ksr_input_count(const ksr_model *m) { return m ? m->n_inputs : 0; }

int ksr_input_id(const ksr_model *m, int index) {
    return m && index >= 0 && index < m->n_inputs ? m->variables[index].id : 0;
}

ksr_status ksr_set_input(ksr_model *m, int variable_id, double value) {
    int i;
    if (!m) return KSR_ERR_ARGUMENT;
    i = find_id(m->variable_ids, m->n_inputs, variable_id);
    if (i < 0) return KSR_ERR_UNKNOWN_INPUT;
    m->variables[i].value = value;
    return KSR_OK;
}

ksr_status ksr_set_inputs(ksr_model *m, const double *values, int count) {
    int i;
    if (!m || (!values && count > 0) || count != m->n_inputs) return KSR_ERR_ARGUMENT;
    for (i = 0; i < count; ++i) m->variables[i].value = values[i];
    return KSR_OK;
}

ksr_status ksr_get_input(const ksr_model *m, int variable_id, double *value) {
    int i;
    if (!m || !value) return KSR_ERR_ARGUMENT;
    i = find_id(m->variable_ids, m->n_inputs, variable_id);
    if (i < 0) return KSR_ERR_UNKNOWN_INPUT;
    *value = m->variables[i].value;
    return KSR_OK;
}

int ksr_action_count(const ksr_model *m) { return m ? m->n_actions : 0; }

double ksr_action_value(const ksr_model *m, int index) {
    return m && index >= 0 && index < m->n_actions ? m->receptors[m->actions[index]].out : 0.0;
}

int ksr_action_output_id(const ksr_model *m, int index) {
    if (!m || index < 0 || index >= m->n_actions) return 0;
    return m->receptors[m->actions[index]].has_output ? m->receptors[m->actions[index]].output_id : 0;
}

int ksr_output_count(const ksr_model *m) { return m ? m->n_outputs : 0; }

int ksr_output_id(const ksr_model *m, int index) {
    return m && index >= 0 && index < m->n_outputs ? m->outputs[index] : 0;
}
