/*
 * ksr_runtime: evaluate a network exported by Kestrine (.ksr) inside a host
 * application. C99, libc and libm only, no global state. Loading allocates
 * one block; nothing allocates after that.
 *
 *   ksr_model *m;
 *   size_t where;                                 // where a damaged file went wrong
 *   if (ksr_load_file("model.ksr", &m, &where) != KSR_OK) ...
 *   ksr_set_input(m, INPUT_Temperature, 21.5);   // IDs from inputsoutputs.h
 *   int decision = ksr_decide(m);                // an OUTPUT_ ID, 0 for none
 *   ksr_free(m);
 *
 * A model is not safe to use from two threads at once; load one per thread.
 */
#ifndef KSR_RUNTIME_H
#define KSR_RUNTIME_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ksr_model ksr_model;

typedef enum ksr_status {
    KSR_OK = 0,
    KSR_ERR_ARGUMENT,      /* a null pointer or an index out of range */
    KSR_ERR_IO,            /* the file cannot be opened or read */
    KSR_ERR_TRUNCATED,     /* the data ends inside a section */
    KSR_ERR_COUNT,         /* a count is negative or larger than the data can hold */
    KSR_ERR_FORMAT,        /* inconsistent data: a connection to a receptor that is not there, bytes left over */
    KSR_ERR_NO_MEMORY,     /* the one allocation of loading failed */
    KSR_ERR_UNKNOWN_INPUT  /* no input variable has that ID */
} ksr_status;

/* A sentence describing a status, for messages to the user. */
const char *ksr_status_message(ksr_status status);

/* Loads a runtime file from a path or from memory (the bytes are copied). On
 * failure *out is NULL; with error_offset not NULL it receives the byte offset
 * where the data went wrong (loading from memory or a file). */
ksr_status ksr_load_file(const char *path, ksr_model **out, size_t *error_offset);
ksr_status ksr_load_memory(const void *data, size_t size, ksr_model **out, size_t *error_offset);
void ksr_free(ksr_model *model);

/* Inputs, in the order of the file (the order of the INPUT_ constants). */
int ksr_input_count(const ksr_model *model);
int ksr_input_id(const ksr_model *model, int index);            /* 0 for a bad index */
/* Sets the value of the input with this variable ID (the first, if several). */
ksr_status ksr_set_input(ksr_model *model, int variable_id, double value);
ksr_status ksr_get_input(const ksr_model *model, int variable_id, double *value);
/* Sets every input at once: count values in file order (KSR_ERR_ARGUMENT
 * unless count is ksr_input_count). */
ksr_status ksr_set_inputs(ksr_model *model, const double *values, int count);

/* Runs the forward pass and returns the winning output's ID: the first
 * action receptor with an output holding the highest value above -1.0;
 * 0 when there is none. */
int ksr_decide(ksr_model *model);

/* Decides n cases at once: inputs holds n rows of ksr_input_count values in
 * file order, decisions receives n output IDs and action_values (when not
 * NULL) n rows of ksr_action_count values. Each decision and value, and the
 * model afterwards, is exactly what ksr_set_inputs and ksr_decide case by case
 * would give; several cases share each weight as it is read, which is faster. */
ksr_status ksr_decide_batch(ksr_model *model, const double *inputs, size_t n, int32_t *decisions, double *action_values);

/* Action receptors in the file's order, with their values after the last
 * ksr_decide and the output each stands for (0: none). */
int ksr_action_count(const ksr_model *model);
double ksr_action_value(const ksr_model *model, int index);
int ksr_action_output_id(const ksr_model *model, int index);

/* Outputs in the order of the file (the order of the OUTPUT_ constants). */
int ksr_output_count(const ksr_model *model);
int ksr_output_id(const ksr_model *model, int index);

#ifdef __cplusplus
}
#endif

#endif /* KSR_RUNTIME_H */
