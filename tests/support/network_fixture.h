#pragma once
// Small projects built the way the app builds them, for tests.
#include <string>
#include <vector>

#include "model/project.h"
#include "model/random.h"

namespace ks::test {

inline VARIABLE_RECORD RangedRecord(double lo, double hi, double value = 0.0, std::int32_t type = kRangedDouble) {
    VARIABLE_RECORD r;
    r.type = type;
    r.minimum = lo;
    r.maximum = hi;
    r.value = value;
    return r;
}

// Adds an input with its sensor and enough processors, as the add-input flow does.
inline CVariable* AddAssembledInput(CProject& p, const VARIABLE_RECORD& rec, const std::string& name) {
    CVariable* v = p.AddInput(rec, name);
    const bool saved = p.m_bAutoAssembly;
    p.m_bAutoAssembly = true;
    p.AttachNewInput(v, {0, 0});
    p.m_bAutoAssembly = saved;
    p.EnsureProcessors();
    return v;
}

inline COutput* AddAssembledOutput(CProject& p, const std::string& name) {
    auto o = std::make_unique<COutput>();
    o->m_name = name;
    COutput* raw = o.get();
    p.m_outputs.AddOutput(std::move(o));
    const bool saved = p.m_bAutoAssembly;
    p.m_bAutoAssembly = true;
    p.AttachNewOutput(raw, {0, 0});
    p.m_bAutoAssembly = saved;
    p.EnsureProcessors();
    return raw;
}

// A new trainable project with `inputs` ranged inputs (0..10) and `outputs` outputs.
inline void BuildProject(CProject& p, int inputs, int outputs, std::uint32_t seed = 7) {
    SeedRandom(seed);
    p.NewProject(kProjectNew);
    for (int i = 0; i < inputs; ++i) AddAssembledInput(p, RangedRecord(0, 10, 0), "In" + std::to_string(i + 1));
    for (int o = 0; o < outputs; ++o) AddAssembledOutput(p, "Out" + std::to_string(o + 1));
    p.UpdateNetwork();
}

// Sixty scenarios of three classes on three inputs: more than the winner
// rule's first working set, and a while to learn.
inline void BuildThreeClassProject(CProject& p) {
    BuildProject(p, 3, 3, 31);
    for (int i = 0; i < 60; ++i) {
        p.m_inputs.m_items[0]->SetValue(i % 10);
        p.m_inputs.m_items[1]->SetValue((i * 3) % 10);
        p.m_inputs.m_items[2]->SetValue((i * 7) % 10);
        p.Scenarios()->CreateScenario(p.Model()->Actions()[static_cast<std::size_t>(i % 3)]);
    }
    p.m_trainingSeed = 8;
}

}  // namespace ks::test
