#include <gtest/gtest.h>

#include <cstring>

#include "files/data_import.h"
#include "model/project.h"
#include "support/network_fixture.h"
#include "support/recording_prompt.h"
#include "training/endpoints.h"
#include "training/rprop_epoch.h"
#include "training/training_cycle.h"

namespace ks {
namespace {

void AddBiases(CProject& p) {
    for (std::int32_t kind : {kProcessor, kAction}) {
        AddBiasToKind(*p.Model(), kind);
    }
}

// A Descriptor List input "colour" with items c0, c1, ...
CVariable* AddColour(CProject& p, int items) {
    VARIABLE_RECORD list;
    list.type = kDescriptorList;
    CVariable* colour = test::AddAssembledInput(p, list, "colour");
    for (int i = 0; i < items; ++i) colour->AddItem("c" + std::to_string(i), i, i, false, 0);
    return colour;
}

std::vector<double> Weights(const CProject& p) {
    std::vector<double> w;
    for (const auto& c : p.Model()->m_connections) w.push_back(c->Weight());
    return w;
}

// Runs epochs until training finishes; returns the epochs, -1 at the limit.
int TrainRprop(CProject& p, int limit) {
    p.m_trainingMethod = TrainingMethod::Rprop;
    EXPECT_EQ(StartStopTraining(p), 1);
    for (int i = 1; i <= limit; ++i)
        if (TrainingCycle(p) == 0) return i;
    StartStopTraining(p);
    return -1;
}

void BuildXor(CProject& p, std::uint32_t seed = 3) {
    SeedRandom(seed);
    p.NewProject(kProjectNew);
    for (int i = 0; i < 2; ++i) test::AddAssembledInput(p, test::RangedRecord(0, 1, 0, kBoolean), "b");
    test::AddAssembledOutput(p, "False");
    test::AddAssembledOutput(p, "True");
    AddBiases(p);
    test::RecordingPrompt yes;
    yes.answers = {Answer::Yes};
    CreateEndpointScenarios(p, yes);
    p.Model()->RandomizeAllWeights();  // endpoint generation presets the output weights
    const int targets[4] = {0, 1, 1, 0};
    int i = 0;
    for (const auto& s : p.Scenarios()->Scenarios()) {
        CReceptor* a = p.Model()->Actions()[static_cast<std::size_t>(targets[i++])];
        s->m_iTargetID = a->m_ID;
        s->m_pTarget = a;
    }
}

TEST(Rprop, LearnsXorAndIsReproducible) {
    std::vector<double> first;
    for (int run = 0; run < 2; ++run) {
        CProject p;
        BuildXor(p);
        const int epochs = TrainRprop(p, 500);
        ASSERT_GT(epochs, 0);
        p.Scenarios()->EvaluateAll();
        EXPECT_EQ(p.Scenarios()->m_iLearnedCount, 4);
        EXPECT_FALSE(p.m_training.running);
        EXPECT_TRUE(p.Model()->m_bSavedWeightsValid);
        if (run == 0)
            first = Weights(p);
        else
            EXPECT_EQ(Weights(p), first);
    }
}

TEST(Rprop, RestartsLeaveAPoorMinimumAndTheSeedDrawsThem) {
    // Every starting point learns, stuck ones by starting again; a restarted
    // run repeats with its seed and another seed may take another path.
    int restarted = 0;
    for (std::uint32_t start = 1; start <= 20; ++start) {
        std::vector<std::vector<double>> byRun;
        for (std::uint32_t seed : {1u, 1u, 2u}) {
            CProject p;
            BuildXor(p, start);
            p.m_trainingSeed = seed;
            ASSERT_GT(TrainRprop(p, 20000), 0) << "start " << start << ", seed " << seed;
            byRun.push_back(Weights(p));
            if (seed == 1 && byRun.size() == 1 && p.m_rprop->restarts > 0) ++restarted;
        }
        EXPECT_EQ(byRun[0], byRun[1]) << "start " << start;
    }
    EXPECT_GT(restarted, 0);  // the table holds starting points that needed a restart
}

TEST(Rprop, LearnsRangedAndDescriptorProblems) {
    CProject p;
    test::BuildProject(p, 2, 3, 13);
    CVariable* colour = AddColour(p, 3);
    AddBiases(p);
    // Class: the colour, shifted by one when the first input is high.
    for (int i = 0; i < 30; ++i) {
        p.m_inputs.m_items[0]->SetValue(i % 10);
        p.m_inputs.m_items[1]->SetValue((i * 7) % 10);
        colour->SetValue(i % 3);
        const int cls = (i % 3 + (i % 10 >= 5 ? 1 : 0)) % 3;
        p.Scenarios()->CreateScenario(p.Model()->Actions()[static_cast<std::size_t>(cls)]);
    }
    const int epochs = TrainRprop(p, 3000);
    ASSERT_GT(epochs, 0);
    p.Scenarios()->EvaluateAll();
    EXPECT_EQ(p.Scenarios()->m_iLearnedCount, 30);
}

TEST(Rprop, StopAndStartContinues) {
    CProject whole, split;
    BuildXor(whole);
    BuildXor(split);
    const int epochs = TrainRprop(whole, 500);
    ASSERT_GT(epochs, 6);
    split.m_trainingMethod = TrainingMethod::Rprop;
    ASSERT_EQ(StartStopTraining(split), 1);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(TrainingCycle(split), 1);
    ASSERT_EQ(StartStopTraining(split), -1);  // stop
    const int rest = TrainRprop(split, 500);
    EXPECT_EQ(5 + rest, epochs);
    EXPECT_EQ(Weights(split), Weights(whole));
}

TEST(Rprop, ScenariosWithoutTargetAreLeftOut) {
    CProject p;
    BuildXor(p);
    CScenario* orphan = p.Scenarios()->AppendScenario(99);
    orphan->m_iTargetID = 0;
    EXPECT_GT(TrainRprop(p, 500), 0);
    EXPECT_FALSE(orphan->m_bLearned);
}

}  // namespace
}  // namespace ks

namespace ks {
namespace {

// Ranged and descriptor inputs, biases, two step processors, a held-out
// scenario and one without a target: every path of an epoch.
void BuildVariedProject(CProject& p) {
    test::BuildProject(p, 2, 3, 17);
    CVariable* colour = AddColour(p, 4);
    AddBiases(p);
    for (int i = 0; i < 40; ++i) {
        p.m_inputs.m_items[0]->SetValue((i * 3) % 10);
        p.m_inputs.m_items[1]->SetValue((i * 7) % 11 * 0.9);
        colour->SetValue(i % 4);
        p.Scenarios()->CreateScenario(p.Model()->Actions()[static_cast<std::size_t>((i % 4 + (i % 10 >= 6)) % 3)]);
    }
    p.Scenarios()->Scenarios()[5]->m_bHeldOut = true;
    p.Scenarios()->Scenarios()[9]->m_pTarget = nullptr;
    p.Scenarios()->Scenarios()[9]->m_iTargetID = 0;
    p.Model()->Processors()[1]->m_iActivation = 0;  // a step: passes no gradient, still decides
    p.Model()->Processors()[1]->m_dThreshold = 0.4;
    p.m_trainingSeed = 5;
}

// Dense layers (runs of senders, four receivers of a layer side by side),
// rows not a multiple of four, and an action driven to exactly 1 in some rows:
// where it is the target its delta is 0 and such a row adds nothing.
void BuildDenseProject(CProject& p) {
    // Imported, so that each layer's senders are consecutive receptors.
    std::string csv = "a,b,c,d,e,f,class\n";
    for (int i = 0; i < 43; ++i) {
        for (int k = 0; k < 6; ++k) csv += std::to_string((i * (k + 2) + k * k) % 10) + ",";
        csv += "k" + std::to_string((i + i / 3) % 4) + "\n";
    }
    SeedRandom(41);
    CDataImport import;
    p.NewImportedProject("dense", [&](CProject& q) { import.ImportBytes(q, std::vector<std::uint8_t>(csv.begin(), csv.end())); });
    p.EnsureProcessors();
    AddBiases(p);
    p.UpdateNetwork();
    for (const CLink& l : p.Model()->Actions()[0]->m_inputLinks) l.connection->SetWeight(8.0);
    p.m_trainingSeed = 2;
}

// The packed epoch and the epoch through the inputs: the same run, bit for
// bit, epoch by epoch (gradients, error, scores, weights). The runs take turns
// (a restart draws from the one process-wide generator).
TEST(Rprop, PackedEpochsAreTheEpochsThroughTheInputs) {
    for (int variant = 0; variant < 4; ++variant) {
        SCOPED_TRACE(variant);
        std::vector<std::vector<double>> trace[2];  // per epoch: gradient, error, scores, weights
        for (int packed = 0; packed < 2; ++packed) {
            CProject p;
            if (variant == 0) BuildXor(p, 4);
            if (variant == 1) BuildVariedProject(p);
            if (variant == 2) test::BuildThreeClassProject(p);
            if (variant == 3) BuildDenseProject(p);
            p.m_rprop = std::make_unique<RpropState>();
            p.m_rprop->usePacked = packed == 1;
            p.m_trainingMethod = TrainingMethod::Rprop;
            ASSERT_EQ(StartStopTraining(p), 1);
            EXPECT_EQ(p.m_rprop->packed, packed == 1);
            for (int epoch = 0; epoch < 400; ++epoch) {
                const int more = TrainingCycle(p);
                std::vector<double> state = p.m_rprop->gradient;
                state.push_back(p.m_rprop->epochError);
                state.push_back(p.m_rprop->epochLearned);
                for (const auto& sc : p.Scenarios()->Scenarios()) state.push_back(sc->m_fScore);
                for (double w : Weights(p)) state.push_back(w);
                trace[packed].push_back(state);
                if (more == 0) break;
            }
        }
        EXPECT_GT(trace[0].size(), 5u);
        ASSERT_EQ(trace[0].size(), trace[1].size());
        for (std::size_t e = 0; e < trace[0].size(); ++e)
            ASSERT_EQ(std::memcmp(trace[0][e].data(), trace[1][e].data(), trace[0][e].size() * sizeof(double)), 0) << "epoch " << e;
    }
}

// A big epoch is cut into the same parts whatever the thread count: one,
// two or three threads give the same bytes, epoch after epoch.
TEST(Rprop, ThreadsChangeTheSpeedNotTheResult) {
    std::vector<double> first;
    for (int threads : {1, 2, 3}) {
        SCOPED_TRACE(threads);
        CProject p;
        test::BuildProject(p, 20, 4, 23);
        AddBiases(p);
        for (int i = 0; i < 700; ++i) {
            for (std::size_t k = 0; k < 20; ++k) p.m_inputs.m_items[k]->SetValue(static_cast<double>((i * (k + 3) + k * k) % 11));
            p.Scenarios()->CreateScenario(p.Model()->Actions()[static_cast<std::size_t>((i * 7 + i / 5) % 4)]);
        }
        p.m_trainingSeed = 3;
        p.m_trainingThreads = threads;
        p.m_trainingMethod = TrainingMethod::Rprop;
        ASSERT_EQ(StartStopTraining(p), 1);
        std::vector<double> trace;
        for (int epoch = 0; epoch < 25 && TrainingCycle(p) == 1; ++epoch) {
            trace.insert(trace.end(), p.m_rprop->gradient.begin(), p.m_rprop->gradient.end());
            trace.push_back(p.m_rprop->epochError);
        }
        for (double w : Weights(p)) trace.push_back(w);
        EXPECT_EQ(EpochParts(*p.m_rprop), 8u);
        EXPECT_EQ(EpochThreads(*p.m_rprop), static_cast<std::size_t>(threads));
        if (first.empty())
            first = trace;
        else
            EXPECT_EQ(std::memcmp(first.data(), trace.data(), first.size() * sizeof(double)), 0);
    }
}

}  // namespace
}  // namespace ks
