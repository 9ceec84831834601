#include <gtest/gtest.h>

#include "model/receptor.h"
#include "model/receptor_mgr.h"
#include "model/variable.h"

namespace ks {
namespace {

TEST(Receptor, ActivationCodes) {
    struct Case { std::int32_t code; double net; double threshold; std::int32_t bit; double out; };
    const Case cases[] = {
        {kLogistic, 0.0, 0, 0, 0.5},
        {kLogistic, 2.0, 0, 0, 0.8807970779778823},
        {kStep, 0.5, 0.5, 0, 1.0},
        {kStep, 0.49, 0.5, 0, 0.0},
        {kStep2, 0.5, 0.5, 0, 1.0},
        {kLinear, -1.25, 0, 0, -1.25},
        {kBand, -0.5, 0.5, 0, 1.0},
        {kBand, 0.51, 0.5, 0, 0.0},
        {kNegativeStep, -0.5, 0.5, 0, 1.0},
        {kNegativeStep, -0.49, 0.5, 0, 0.0},
        {kBit, 5.9, 0, 2, 1.0},
        {kBit, 3.9, 0, 2, 0.0},
        {kBit, 5.9, 0, 34, 1.0},  // bit numbers wrap modulo 32
        {kBit, std::nan(""), 0, 31, 1.0},  // NaN truncates to INT32_MIN: only bit 31 set
        {9, 3.0, 0, 0, 0.0},
    };
    for (const Case& c : cases) {
        CReceptor r(kProcessor, c.code, 1);
        r.m_dNetInput = c.net;
        r.m_dThreshold = c.threshold;
        r.m_iBitIndex = c.bit;
        r.Activate();
        EXPECT_DOUBLE_EQ(r.m_dOutput, c.out) << "code " << c.code << " net " << c.net;
    }
}

TEST(Receptor, ActionBiasAndSensorActivation) {
    CReceptor action(kAction, -1, 1);
    action.m_bLinearOutput = true;
    action.m_dNetInput = -3.2;
    action.Activate();
    EXPECT_DOUBLE_EQ(action.m_dOutput, -3.2);

    CReceptor bias(kBias, 0, 2);
    bias.m_dNetInput = 55;
    bias.Activate();
    EXPECT_DOUBLE_EQ(bias.SendValue(), 1.0);

    CReceptor sensor(kSensor, -1, 3);
    sensor.m_dOutput = 9;
    sensor.Activate();
    EXPECT_EQ(sensor.m_dOutput, 0.0);  // no input: 0
}

TEST(Receptor, PlaceGeometry) {
    CReceptor s(kSensor, -1, 1);
    s.Place(100, 50);
    EXPECT_EQ(s.m_geo.inputPoint, (KPoint{112, 51}));
    EXPECT_EQ(s.m_geo.outputPoint, (KPoint{112, 72}));
    EXPECT_EQ(s.m_geo.variableBox, (KRect{91, 18, 134, 42}));
    EXPECT_EQ(s.m_geo.body, (KRect{100, 50, 124, 74}));
    EXPECT_EQ(s.m_rect, s.m_geo.body);
    EXPECT_EQ(s.m_geo.inputPort, (KRect{109, 48, 115, 54}));
    EXPECT_EQ(s.m_geo.outputPort, (KRect{109, 69, 115, 75}));
    EXPECT_EQ(s.m_geo.core, (KRect{108, 58, 116, 66}));
    EXPECT_EQ(s.m_geo.labelBox, (KRect{76, 80, 148, 104}));

    CReceptor a(kAction, -1, 2);
    a.Place(0, 0);
    EXPECT_EQ(a.m_geo.labelBox, (KRect{-24, 70, 48, 94}));
}

TEST(Receptor, AttachVariableOnlyToSensorsAndReplacesPrevious) {
    CVariable first, second;
    first.m_ID = 11;
    second.m_ID = 22;
    CReceptor processor(kProcessor, kLogistic, 5);
    EXPECT_FALSE(processor.AttachVariable(&first));
    EXPECT_FALSE(first.m_bAttached);
    EXPECT_EQ(processor.m_pVariable, nullptr);

    CReceptor sensor(kSensor, -1, 9);
    first.SetValue(4);
    ASSERT_TRUE(sensor.AttachVariable(&first));
    EXPECT_TRUE(first.m_bAttached);
    EXPECT_EQ(first.m_iAttachedReceptorID, 9);
    EXPECT_EQ(sensor.m_iActivation, kLinear);
    EXPECT_DOUBLE_EQ(sensor.m_dOutput, 4.0);
    ASSERT_TRUE(sensor.AttachVariable(&second));
    EXPECT_FALSE(first.m_bAttached);
    EXPECT_EQ(first.m_iAttachedReceptorID, 0);
    EXPECT_EQ(sensor.m_iVariableID, 22);
}

TEST(Receptor, MovingUpdatesConnectionEnds) {
    CReceptorMgr m;
    CReceptor* s = m.AddReceptor(kSensor, -1, 0, 0);
    CReceptor* p = m.AddReceptor(kProcessor, kLogistic, 0, 100);
    CConnection* c = m.AddConnection(s, p, 0, 0.5);
    p->Place(200, 300);
    EXPECT_EQ(c->m_end, (KPoint{212, 301}));
    EXPECT_EQ(c->m_start, (KPoint{12, 22}));
    EXPECT_EQ(c->m_mid, (KPoint{112, 161}));
}

}  // namespace
}  // namespace ks
