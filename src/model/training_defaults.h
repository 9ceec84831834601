#pragma once
// The four stored training defaults, read from and written to the per-user store.
#include <cstdint>

#include "model/settings_store.h"

namespace ks {

class CProject;

struct TrainingDefaults {
    double learnRate = 0.25;
    double momentum = 0.75;
    std::int32_t batchSize = 4;
    std::int32_t resetLimit = 2000;
};

// Reads the four values; an absent value keeps its built-in default, a present
// one (even 0 or negative) is used as stored.
TrainingDefaults ReadTrainingDefaults(ISettingsStore* store);
void ReadTrainingDefaults(CProject& project, ISettingsStore* store);
// Stores the four values in the project and the store, and applies them to
// the project's model and scenario manager.
void StoreTrainingDefaults(CProject& project, ISettingsStore* store, double learnRate, double momentum,
                           std::int32_t batchSize, std::int32_t resetLimit);

}  // namespace ks
