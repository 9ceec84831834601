#include <gtest/gtest.h>

#include "model/messages.h"
#include "model/random.h"
#include "model/receptor_mgr.h"
#include "support/recording_prompt.h"

namespace ks {
namespace {

using test::RecordingPrompt;

TEST(ConnectionRule, AllSixteenPairs) {
    struct Case {
        std::int32_t source, target, code;
        bool reverse;
        const char* message;  // nullptr: accepted or refused silently
    };
    const Case cases[] = {
        {kSensor, kSensor, 101, false, msg::kConnectSensorToSensor},
        {kSensor, kProcessor, 4, false, nullptr},
        {kSensor, kBias, 102, false, msg::kConnectSensorOrBiasMisuse},
        {kSensor, kAction, 103, false, nullptr},
        {kProcessor, kSensor, 4, true, nullptr},
        {kProcessor, kProcessor, 107, false, msg::kConnectProcessorToProcessor},
        {kProcessor, kBias, 8, true, nullptr},
        {kProcessor, kAction, 10, false, nullptr},
        {kBias, kSensor, 102, false, msg::kConnectSensorOrBiasMisuse},
        {kBias, kProcessor, 8, false, nullptr},
        {kBias, kBias, 105, false, msg::kConnectBiasToBias},
        {kBias, kAction, 9, false, nullptr},
        {kAction, kSensor, 103, false, msg::kConnectSensoryToAction},
        {kAction, kProcessor, 10, true, nullptr},
        {kAction, kBias, 9, true, nullptr},
        {kAction, kAction, 106, false, msg::kConnectActionToAction},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source << " -> " << c.target);
        CReceptorMgr m;
        CReceptor* s = m.AddReceptor(c.source, -1, 0, 0);
        CReceptor* t = m.AddReceptor(c.target, -1, 100, 0);
        EXPECT_EQ(m.CheckConnection(t, s), c.code);
        EXPECT_EQ(m.m_bReversePending, c.reverse);
        m.m_bReversePending = false;

        RecordingPrompt prompt;
        CConnection* made = m.ConnectByDrag(s, t, prompt);
        if (c.code < 100) {
            ASSERT_NE(made, nullptr);
            EXPECT_TRUE(prompt.notices.empty());
            EXPECT_EQ(made->m_pSender, c.reverse ? t : s);
            EXPECT_EQ(made->m_pReceiver, c.reverse ? s : t);
            EXPECT_DOUBLE_EQ(made->Weight(), 0.5);
            EXPECT_FALSE(m.m_bReversePending);
            // A second drag in either direction is refused.
            RecordingPrompt again;
            EXPECT_EQ(m.ConnectByDrag(s, t, again), nullptr);
            EXPECT_EQ(m.ConnectByDrag(t, s, again), nullptr);
            EXPECT_EQ(again.notices, (std::vector<std::string>{msg::kAlreadyConnected, msg::kAlreadyConnected}));
            EXPECT_EQ(m.m_connections.size(), 1u);
        } else {
            EXPECT_EQ(made, nullptr);
            EXPECT_TRUE(m.m_connections.empty());
            if (c.message)
                EXPECT_EQ(prompt.notices, std::vector<std::string>{c.message});
            else
                EXPECT_TRUE(prompt.notices.empty());
        }
    }
}

TEST(ReceptorMgr, LabelsCountTheKindAndAreNotRenumbered) {
    CReceptorMgr m;
    m.AddReceptor(kSensor, -1, 0, 0);
    m.AddReceptor(kSensor, -1, 0, 0);
    EXPECT_EQ(m.AddReceptor(kSensor, -1, 0, 0)->m_label, "Sensor 3");
    CReceptor* p1 = m.AddReceptor(kProcessor, 2, 0, 0);
    EXPECT_EQ(m.AddReceptor(kProcessor, 2, 0, 0)->m_label, "Processor 2");
    m.DeleteReceptor(p1);
    EXPECT_EQ(m.AddReceptor(kProcessor, 2, 0, 0)->m_label, "Processor 2");
    EXPECT_EQ(m.AddReceptor(kBias, 0, 0, 0)->m_label, "Bias 1");
    EXPECT_EQ(m.CountReceptors(kBias), 1);
    EXPECT_EQ(m.CountReceptors(0), 6);
}

TEST(ReceptorMgr, KindListLeavesOutLaterReceptorRepeatingHeadId) {
    CReceptorMgr m;
    auto a = std::make_unique<CReceptor>(kProcessor, 2, 500);
    auto b = std::make_unique<CReceptor>(kProcessor, 2, 600);
    auto c = std::make_unique<CReceptor>(kProcessor, 2, 500);
    m.AddReceptorFromRecord(std::move(a));
    m.AddReceptorFromRecord(std::move(b));
    m.AddReceptorFromRecord(std::move(c));
    m.RebuildKindLists();
    ASSERT_EQ(m.Processors().size(), 2u);
    EXPECT_EQ(m.Processors()[1]->m_ID, 600);
}

TEST(ReceptorMgr, ConnectionHitTest) {
    CReceptorMgr m;
    CReceptor* a = m.AddReceptor(kSensor, -1, 0, 0);
    CReceptor* b = m.AddReceptor(kProcessor, 2, 0, 0);
    CConnection* c = m.AddConnection(a, b, 0, 0.5);
    c->m_start = {0, 100};
    c->m_end = {100, 100};
    struct Case { int x, y; bool hit; };
    const Case cases[] = {
        {50, 102, true}, {50, 98, true}, {50, 103, false}, {50, 97, false},
        {102, 100, true}, {103, 100, false}, {-2, 100, true}, {-3, 100, false},
    };
    for (const Case& k : cases) EXPECT_EQ(m.ConnectionAt(k.x, k.y) == c, k.hit) << k.x << "," << k.y;
}

TEST(ReceptorMgr, DeleteConnectionUnlinksBothEnds) {
    CReceptorMgr m;
    CReceptor* s = m.AddReceptor(kSensor, -1, 0, 0);
    CReceptor* p = m.AddReceptor(kProcessor, 2, 0, 0);
    CReceptor* a = m.AddReceptor(kAction, -1, 0, 0);
    m.AddConnection(s, p, 0, 0.5);
    CConnection* pa = m.AddConnection(p, a, 0, 0.5);
    m.DeleteConnection(m.m_connections.front().get());
    EXPECT_TRUE(s->m_outputLinks.empty());
    ASSERT_EQ(p->m_outputLinks.size(), 1u);
    EXPECT_TRUE(p->m_inputLinks.empty());
    EXPECT_EQ(m.m_connections.size(), 1u);
    EXPECT_EQ(m.m_connections.front().get(), pa);

    s->m_dOutput = 1.0;
    m.EvaluateProcessors();
    EXPECT_EQ(p->m_dNetInput, 0.0);  // the pass no longer uses it

    m.DeleteReceptor(p);
    EXPECT_TRUE(m.m_connections.empty());
    EXPECT_TRUE(a->m_inputLinks.empty());
}

TEST(ReceptorMgr, AutomaticConnectionsAndRandomWeights) {
    SeedRandom(11);
    CReceptorMgr m;
    CReceptor* s1 = m.AddReceptor(kSensor, -1, 0, 0);
    CReceptor* s2 = m.AddReceptor(kSensor, -1, 0, 0);
    CReceptor* a = m.AddReceptor(kAction, -1, 0, 0);
    CReceptor* p = m.AddReceptor(kProcessor, 2, 0, 0);
    EXPECT_EQ(m.ConnectSensorsTo(p), 2);
    EXPECT_EQ(m.ConnectSensorsTo(p), 0);
    EXPECT_EQ(m.ConnectToActions(p), 1);
    CReceptor* p2 = m.AddReceptor(kProcessor, 2, 0, 0);
    EXPECT_EQ(m.ConnectToProcessors(a), 1);  // only p2 still lacks its link
    EXPECT_TRUE(m.IsConnected(p2, a));
    EXPECT_TRUE(m.IsConnected(s1, p));
    EXPECT_FALSE(m.IsConnected(p, s1));
    // Link order is the order connections were added.
    ASSERT_EQ(p->m_inputLinks.size(), 2u);
    EXPECT_EQ(p->m_inputLinks[0].connection->m_pSender, s1);
    EXPECT_EQ(p->m_inputLinks[1].connection->m_pSender, s2);

    m.m_bSavedWeightsValid = true;
    m.m_connections.front()->m_dPreviousChange = 3;
    m.RandomizeAllWeights();
    EXPECT_FALSE(m.m_bSavedWeightsValid);
    for (const auto& c : m.m_connections) {
        EXPECT_GE(c->Weight(), -0.6);
        EXPECT_LE(c->Weight(), 0.4);
        EXPECT_EQ(c->m_dPreviousChange, 0.0);
    }
}

TEST(ReceptorMgr, SelectionAndDeleteSelected) {
    CReceptorMgr m;
    CReceptor* s = m.AddReceptor(kSensor, -1, 0, 0);
    m.AddReceptor(kProcessor, 2, 0, 0);
    m.AddReceptor(kProcessor, 2, 0, 0);
    m.ConnectToProcessors(s);
    EXPECT_EQ(m.SelectKind(kProcessor), 2);
    EXPECT_EQ(m.SelectKind(kProcessor), 2);  // entries accumulate, as the callers rely on
    EXPECT_EQ(m.m_selection.size(), 4u);
    EXPECT_EQ(m.DeleteSelectedReceptors(), 4);
    EXPECT_EQ(m.CountReceptors(kProcessor), 0);
    EXPECT_TRUE(s->m_outputLinks.empty());
    EXPECT_TRUE(m.m_connections.empty());
    EXPECT_TRUE(m.m_selection.empty());
}

}  // namespace
}  // namespace ks
