// Any bytes given to the runtime library are refused or loaded; a loaded
// model must decide without fault.
#include <cstddef>
#include <cstdint>

#include "ksr_runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ksr_model* model = nullptr;
    std::size_t offset = 0;
    if (ksr_load_memory(data, size, &model, &offset) != KSR_OK) {
        if (offset > size) __builtin_trap();  // the reported place must lie inside the data
        return 0;
    }
    for (int i = 0; i < ksr_input_count(model); ++i) ksr_set_input(model, ksr_input_id(model, i), i * 0.37 - 1.0);
    ksr_decide(model);
    for (int i = 0; i < ksr_action_count(model); ++i) (void)ksr_action_value(model, i);
    ksr_free(model);
    return 0;
}
