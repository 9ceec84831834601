#include "model/training_defaults.h"

#include "model/numeric.h"
#include "model/project.h"
#include "model/prompt.h"
#include "model/receptor_mgr.h"
#include "model/scenario_mgr.h"

namespace ks {

TrainingDefaults ReadTrainingDefaults(ISettingsStore* store) {
    TrainingDefaults d;
    if (!store) return d;
    auto read = [&](const char* key) {
        auto v = store->ReadInt(kSettingsSection, key);
        Trace("Got %s value from registry: %d", key, v.value_or(0));
        return v;
    };
    if (auto v = read(kKeyLearnRate)) d.learnRate = ToSingle(*v / 1000.0);
    if (auto v = read(kKeyMomentum)) d.momentum = ToSingle(*v / 1000.0);
    if (auto v = read(kKeyResetMax)) d.resetLimit = *v;
    if (auto v = read(kKeyBatchSize)) d.batchSize = *v;
    return d;
}

void ReadTrainingDefaults(CProject& project, ISettingsStore* store) { project.m_defaults = ReadTrainingDefaults(store); }

void StoreTrainingDefaults(CProject& project, ISettingsStore* store, double learnRate, double momentum,
                           std::int32_t batchSize, std::int32_t resetLimit) {
    project.m_defaults = {learnRate, momentum, batchSize, resetLimit};
    if (store) {
        store->WriteInt(kSettingsSection, kKeyLearnRate, Trunc32(learnRate * 1000.0));
        store->WriteInt(kSettingsSection, kKeyMomentum, Trunc32(momentum * 1000.0));
        store->WriteInt(kSettingsSection, kKeyResetMax, resetLimit);
        store->WriteInt(kSettingsSection, kKeyBatchSize, batchSize);
    }
    project.ApplyTrainingDefaults();
}

}  // namespace ks
