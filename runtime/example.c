/* Decide one case with a network exported by Kestrine.
 * Build: cc -std=c99 example.c ksr_runtime.c -lm -o example
 * Run:   ./example model.ksr 101=2 102=150 103=7.5 */
#include <stdio.h>
#include <stdlib.h>

#include "ksr_runtime.h"

int main(int argc, char **argv) {
    ksr_model *model = NULL;
    size_t where = 0;
    ksr_status status;
    int i, decision;

    if (argc < 2) {
        fprintf(stderr, "usage: %s MODEL.ksr [ID=VALUE ...]\n", argv[0]);
        return 2;
    }
    status = ksr_load_file(argv[1], &model, &where);
    if (status != KSR_OK) {
        fprintf(stderr, "%s: %s (byte %lu)\n", argv[1], ksr_status_message(status), (unsigned long)where);
        return 1;
    }
    /* Inputs not given keep the values stored in the file. */
    for (i = 2; i < argc; ++i) {
        int id;
        double value;
        if (sscanf(argv[i], "%d=%lf", &id, &value) != 2 || ksr_set_input(model, id, value) != KSR_OK) {
            fprintf(stderr, "%s: not an input of the model\n", argv[i]);
            ksr_free(model);
            return 1;
        }
    }
    decision = ksr_decide(model);
    printf("decision: %d\n", decision);
    for (i = 0; i < ksr_action_count(model); ++i)
        printf("  output %d: %.6f\n", ksr_action_output_id(model, i), ksr_action_value(model, i));
    ksr_free(model);
    return 0;
}
