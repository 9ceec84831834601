#include <gtest/gtest.h>

#include "model/project.h"
#include "model/training_defaults.h"

namespace ks {
namespace {

TEST(TrainingDefaults, AbsentValuesFallBackPresentValuesAreUsed) {
    MemorySettingsStore empty;
    const TrainingDefaults d = ReadTrainingDefaults(&empty);
    EXPECT_EQ(d.learnRate, 0.25);
    EXPECT_EQ(d.momentum, 0.75);
    EXPECT_EQ(d.resetLimit, 2000);
    EXPECT_EQ(d.batchSize, 4);

    MemorySettingsStore zeros;
    zeros.WriteInt(kSettingsSection, kKeyLearnRate, 0);
    zeros.WriteInt(kSettingsSection, kKeyResetMax, -5);
    const TrainingDefaults z = ReadTrainingDefaults(&zeros);
    EXPECT_EQ(z.learnRate, 0.0);
    EXPECT_EQ(z.resetLimit, -5);
    EXPECT_EQ(z.batchSize, 4);
}

TEST(TrainingDefaults, StoreRoundTripTruncatesToThousandths) {
    MemorySettingsStore store;
    CProject p(&store);
    const double rate = static_cast<double>(0.25f + 0.01f);  // 0.2599999...
    StoreTrainingDefaults(p, &store, rate, 0.75, 6, 3000);
    EXPECT_EQ(*store.ReadInt(kSettingsSection, kKeyLearnRate), 259);
    EXPECT_EQ(*store.ReadInt(kSettingsSection, kKeyMomentum), 750);
    EXPECT_EQ(*store.ReadInt(kSettingsSection, kKeyBatchSize), 6);
    EXPECT_EQ(p.Model(), nullptr);  // nothing open: nothing applied

    CProject next(&store);
    EXPECT_EQ(next.m_defaults.learnRate, static_cast<double>(0.259f));
    EXPECT_EQ(next.m_defaults.momentum, 0.75);
    next.NewProject(kProjectNew);
    EXPECT_EQ(next.Model()->m_iResetLimit, 3000);
    EXPECT_EQ(next.Scenarios()->m_iBatchSize, 6);

    StoreTrainingDefaults(next, &store, 0.5, 0.5, 2, 10);
    EXPECT_EQ(next.Model()->m_dLearnRate, 0.5);
    EXPECT_EQ(next.Scenarios()->m_iBatchSize, 2);
}

}  // namespace
}  // namespace ks
