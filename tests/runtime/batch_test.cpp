// Deciding many cases at once gives each case the decision, and leaves the
// model in the state, that deciding them one at a time gives.
#include <gtest/gtest.h>

#include <cstring>

#include "files/project_file.h"
#include "ksr_runtime.h"
#include "model/project.h"
#include "model/random.h"
#include "support/network_fixture.h"

namespace ks {
namespace {

struct Model {
    ksr_model* m = nullptr;
    explicit Model(const CProject& p) {
        const auto bytes = RuntimeBytes(p);
        EXPECT_EQ(ksr_load_memory(bytes.data(), bytes.size(), &m, nullptr), KSR_OK);
    }
    ~Model() { ksr_free(m); }
};

void ExpectBatchIsOneAtATime(const CProject& p) {
    Model one(p), batch(p);
    const int ni = ksr_input_count(one.m);
    for (std::size_t n : {0u, 1u, 3u, 4u, 5u, 9u, 33u, 200u}) {
        std::vector<double> inputs;
        for (std::size_t c = 0; c < n * static_cast<std::size_t>(ni); ++c) inputs.push_back((NextRandom() % 2000) / 100.0 - 2.0);
        const auto na = static_cast<std::size_t>(ksr_action_count(one.m));
        std::vector<std::int32_t> expected, got(n, -7);
        std::vector<double> expectedValues, values(n * na, -7.0);
        for (std::size_t c = 0; c < n; ++c) {
            ASSERT_EQ(ksr_set_inputs(one.m, inputs.data() + c * static_cast<std::size_t>(ni), ni), KSR_OK);
            expected.push_back(ksr_decide(one.m));
            for (std::size_t a = 0; a < na; ++a) expectedValues.push_back(ksr_action_value(one.m, static_cast<int>(a)));
        }
        ASSERT_EQ(ksr_decide_batch(batch.m, inputs.data(), n, got.data(), values.data()), KSR_OK);
        EXPECT_EQ(got, expected) << n << " cases";
        EXPECT_EQ(n == 0 || std::memcmp(values.data(), expectedValues.data(), values.size() * sizeof(double)) == 0, true)
            << "action values of " << n << " cases";
        if (n == 0) continue;
        for (int a = 0; a < ksr_action_count(one.m); ++a) {
            const double x = ksr_action_value(one.m, a), y = ksr_action_value(batch.m, a);
            EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << "action " << a << " after " << n << " cases";
        }
    }
    EXPECT_EQ(ksr_decide_batch(nullptr, nullptr, 0, nullptr, nullptr), KSR_ERR_ARGUMENT);
    EXPECT_EQ(ksr_decide_batch(batch.m, nullptr, 2, nullptr, nullptr), KSR_ERR_ARGUMENT);
}

TEST(Batch, DecidesEachCaseAsOneAtATime) {
    for (const char* name : {"fruit_sorting.ksm", "loan_decision.ksm"}) {
        SCOPED_TRACE(name);
        CProject p;
        ASSERT_TRUE(LoadProjectFile(std::string(KESTRINE_EXAMPLES) + "/" + name, p).ok);
        SeedRandom(2);
        ExpectBatchIsOneAtATime(p);
    }
    // Wider: 20 inputs, 21 processors, some of them steps and bands.
    CProject wide;
    test::BuildProject(wide, 20, 4, 13);
    int k = 0;
    for (CReceptor* r : wide.Model()->Processors()) r->m_iActivation = k++ % 3 == 0 ? 0 : 2;
    ExpectBatchIsOneAtATime(wide);
}

}  // namespace
}  // namespace ks
