#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "model/numeric.h"
#include "model/random.h"
#include "model/variable.h"

namespace ks {
namespace {

TEST(Random, ReproducesClassicRandSequence) {
    SeedRandom(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724};
    for (int e : expected) EXPECT_EQ(NextRandom(), e);
    SeedRandom(1);
    EXPECT_EQ(NextRandom(), 41);
}

TEST(Random, IdAndWeightFormulas) {
    SeedRandom(1);  // first draws 41 and 18467
    EXPECT_EQ(DrawId(kIdSpan, [](std::int32_t) { return false; }), static_cast<int>(41 / 32768.0 * 99999 + 1.0));
    EXPECT_DOUBLE_EQ(DrawWeight(), 18467 / 32767.0 - 0.5 - 0.10000000149011612);
    // A taken candidate is redrawn.
    SeedRandom(1);
    const std::int32_t first = DrawId(kIdSpan, [](std::int32_t) { return false; });
    SeedRandom(1);
    const std::int32_t second = DrawId(kIdSpan, [&](std::int32_t id) { return id == first; });
    EXPECT_NE(second, first);
    EXPECT_EQ(second, static_cast<int>(18467 / 32768.0 * 99999 + 1.0));
}

TEST(Numeric, Trunc32NeverUndefined) {
    EXPECT_EQ(Trunc32(-2.5), -2);
    EXPECT_EQ(Trunc32(5.9), 5);
    EXPECT_EQ(Trunc32(2147483647.9), 2147483647);
    EXPECT_EQ(Trunc32(std::nan("")), INT32_MIN);
    EXPECT_EQ(Trunc32(3e9), INT32_MIN);
    EXPECT_EQ(Trunc32(-3e9), INT32_MIN);
    EXPECT_EQ(Trunc32(std::numeric_limits<double>::infinity()), INT32_MIN);
}

TEST(MouseTarget, RectangleIsHalfOpen) {
    CVariable v;
    v.m_rect = {10, 20, 30, 40};
    v.m_iTargetID = 77;
    HitRecord rec;
    EXPECT_TRUE(v.HitTest(rec, 10, 20));
    EXPECT_EQ(rec.targetType, kTargetInput);
    EXPECT_EQ(rec.id, 77);
    EXPECT_EQ(rec.object, &v);
    HitRecord miss;
    EXPECT_FALSE(v.HitTest(miss, 30, 25));
    EXPECT_FALSE(v.HitTest(miss, 15, 40));
    EXPECT_EQ(miss.targetType, -1);
}

TEST(Variable, DescriptorItemsRenumberAndSetRange) {
    CVariable v;
    v.m_iType = kDescriptorList;
    v.AddItem("Low", 0, 0, false, 0);
    v.AddItem("Mid", 1, 1, true, 0x123456);
    v.AddItem("High", 2, 2, false, 0);
    EXPECT_EQ(v.m_dMin, 0.0);
    EXPECT_EQ(v.m_dMax, 3.0);

    v.SetValue(1.7);
    ASSERT_NE(v.m_pCurrentItem, nullptr);
    EXPECT_EQ(v.m_pCurrentItem->text, "Mid");
    EXPECT_EQ(v.ValueColour(), 0x123456u);
    v.SetValue(2);
    EXPECT_EQ(v.ValueColour(), 0xFFFFFFu);  // colour coding off shows white

    v.DeleteItem(v.m_items.front().get());
    ASSERT_EQ(v.ItemCount(), 2);
    EXPECT_EQ(v.m_items[0]->index, 0);
    EXPECT_EQ(v.m_items[1]->index, 1);
    EXPECT_EQ(v.m_dMax, 2.0);

    v.SetValue(5);
    EXPECT_EQ(v.m_pCurrentItem, nullptr);
    EXPECT_EQ(v.ValueText(), "E");
    v.ClearItems();
    EXPECT_EQ(v.m_dMax, 0.0);
    EXPECT_EQ(v.m_dRange, 0.0);
}

TEST(Variable, ValueTextByType) {
    struct Case { std::int32_t type; double value; const char* text; };
    const Case cases[] = {
        {kBoolean, 0.0, "No"}, {kBoolean, 0.5, "Yes"}, {kRangedInteger, -2.5, "-2"},
        {kRangedDouble, 3.14159, "3.14"}, {kDescriptorList, 0.0, "E"},
    };
    for (const Case& c : cases) {
        CVariable v;
        v.m_iType = c.type;
        v.SetValue(c.value);
        EXPECT_EQ(v.ValueText(), c.text) << c.type << " " << c.value;
    }
}

TEST(Variable, BooleanColourFollowsValueEvenBeforeSetValue) {
    CVariable v;
    v.m_iType = kBoolean;
    EXPECT_EQ(v.ValueColour(), kFalseColour);
    v.SetValue(1);
    EXPECT_EQ(v.ValueColour(), kTrueColour);
    EXPECT_EQ(v.ValueText(), "Yes");
}

TEST(Variable, GaugeFillFollowsValueAndZeroRangeIsEmpty) {
    CVariable v;
    v.SetRange(0, 10);
    v.LayoutGlyph({0, 0, 64, 64});  // gauge (52, 18, 60, 60): 42 pixels tall
    v.SetValue(5);
    EXPECT_EQ(v.m_glyph.gaugeFill.top, 60 - 21);
    EXPECT_EQ(v.m_glyph.gaugeFill.bottom, 60);
    EXPECT_EQ(v.m_anchor, (KPoint{32, 62}));

    CVariable flat;
    flat.SetRange(4, 4);
    flat.LayoutGlyph({0, 0, 64, 64});
    flat.SetValue(4);
    EXPECT_EQ(flat.m_glyph.gaugeFill.top, flat.m_glyph.gaugeFill.bottom);
}

TEST(Lists, IdsAreUniqueWithinTheirOwnList) {
    SeedRandom(3);
    CInputList inputs;
    std::set<std::int32_t> seen;
    for (int i = 0; i < 300; ++i) {
        CVariable* v = inputs.AddVariable(VARIABLE_RECORD{});
        v->m_ID = inputs.NewID();
        EXPECT_GE(v->m_ID, 1);
        EXPECT_LE(v->m_ID, 99996);
        EXPECT_TRUE(seen.insert(v->m_ID).second);
    }
    COutputList outputs;
    const std::int32_t id = outputs.AddOutput(std::make_unique<COutput>());
    EXPECT_EQ(outputs.m_items.front()->m_iTargetID, id);
    EXPECT_EQ(outputs.m_items.front()->m_iActionReceptorID, 0);
}

}  // namespace
}  // namespace ks
