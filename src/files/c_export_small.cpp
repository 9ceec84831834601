#include "files/c_export_small.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "files/small_logistic.h"
#include "ksr_kernel.h"
#include "model/eval_plan.h"
#include "model/project.h"
#include "model/text.h"

namespace ks {

namespace {

constexpr std::int64_t kSumLimit = 2147483646;  // |sum| stays below INT32_MAX, so B + 1 is an int32_t
constexpr int kTablePoints = 257;               // the logistic at -8, -8 + 1/16, ..., +8

// ------------------------------------------------------------ shared rules

bool Bounded(int code) { return code != KSR_LINEAR; }

// Round half away from zero, as the generated code does on entry.
std::int32_t RoundAway(double q) { return q >= 0 ? static_cast<std::int32_t>(q + 0.5) : -static_cast<std::int32_t>(-q + 0.5); }

// Toward zero, defined for negative numbers too (a plain >> of one is not).
std::int32_t ShiftDown(std::int32_t a, int s) { return s <= 0 ? a : a >= 0 ? a >> s : -((-a) >> s); }

// ------------------------------------------------------------- single precision

std::int32_t Trunc32f(float x) {
    if (!(x > -2147483649.0f && x < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(x);
}

float SensorFloat(const SmallNet::Sensor& s, float x) {
    const float minimum = static_cast<float>(s.minimum), scale = static_cast<float>(s.scale);
    if (s.type == KSR_TYPE_BOOLEAN) return x == 0.0f ? 0.0f : 1.0f;
    if (s.type == KSR_TYPE_DESCRIPTOR_LIST) return s.items <= 1 ? 0.0f : scale * static_cast<float>(Trunc32f(x));
    if (scale == 0.0f) return -3.0f;
    const float out = (x - minimum) * scale - 3.0f;
    return std::isfinite(out) ? out : -3.0f;
}

float ActivateFloat(int code, float threshold, int bit, float net) {
    switch (code) {
    case KSR_STEP:
    case KSR_STEP2: return net >= threshold ? 1.0f : 0.0f;
    case KSR_LINEAR: return net;
    case KSR_LOGISTIC: return ksr_logistic_f(net);
    case KSR_BAND: return (net < 0.0f ? -net : net) <= threshold ? 1.0f : 0.0f;
    case KSR_NEGATIVE_STEP: return net <= -threshold ? 1.0f : 0.0f;
    case KSR_BIT: return ((static_cast<std::uint32_t>(Trunc32f(net)) >> static_cast<std::uint32_t>(bit)) & 1u) ? 1.0f : 0.0f;
    default: return 0.0f;
    }
}

// ------------------------------------------------------------- fixed point

std::int32_t LogisticFixed(const SmallNet& n, std::int32_t acc, int shift) {
    const std::vector<std::int32_t>& t = n.logisticTable;
    const std::int64_t limit = std::int64_t{8} << shift;
    if (limit <= INT32_MAX) {
        if (acc >= limit) return t[kTablePoints - 1];
        if (acc <= -limit) return t[0];
    }
    // The sum with 12 fraction bits, from 0 at -8: 256 steps between table points.
    const std::int32_t u = ShiftDown(acc, shift - 12) + 32768;
    const std::int32_t index = u >> 8, frac = u & 255;
    if (index >= kTablePoints - 1) return t[kTablePoints - 1];
    return t[static_cast<std::size_t>(index)] +
           (((t[static_cast<std::size_t>(index) + 1] - t[static_cast<std::size_t>(index)]) * frac) >> 8);
}

std::int32_t ActivateFixed(const SmallNet& n, const SmallNet::Stage& st, std::size_t i, std::int32_t acc) {
    const int shift = n.valueShift + st.weightShift;
    const std::int32_t one = std::int32_t{1} << n.valueShift, thr = st.qThreshold[i];
    switch (st.code[i]) {
    case KSR_STEP:
    case KSR_STEP2: return acc >= thr ? one : 0;
    case KSR_LOGISTIC: return LogisticFixed(n, acc, shift);
    case KSR_BAND: return (acc < 0 ? -acc : acc) <= thr ? one : 0;
    case KSR_NEGATIVE_STEP: return acc <= thr ? one : 0;
    case KSR_BIT:
        return ((static_cast<std::uint32_t>(ShiftDown(acc, shift)) >> static_cast<std::uint32_t>(st.bit[i])) & 1u) ? one : 0;
    default: return 0;
    }
}

// An input given as a fixed-point integer onto its sensor, in integers only.
std::int32_t SensorFromFixed(const SmallNet& n, const SmallNet::Sensor& s, std::int32_t x) {
    const std::int64_t one = std::int64_t{1} << n.valueShift;
    std::int64_t q;
    if (s.type == KSR_TYPE_BOOLEAN) return x == 0 ? 0 : static_cast<std::int32_t>(one);
    if (s.type == KSR_TYPE_DESCRIPTOR_LIST) {
        if (s.items <= 1) return 0;
        const std::int64_t num = std::int64_t{x / (std::int32_t{1} << n.inputShift)} * 4 * one, d = s.items - 1;
        q = num >= 0 ? (num + d / 2) / d : -((-num + d / 2) / d);
    } else if (s.qScale == 0) {
        q = -3 * one;
    } else {
        const std::int64_t p = (std::int64_t{x} - s.qMinimum) * s.qScale, m = p < 0 ? -p : p;
        q = (m + (std::int64_t{1} << (s.qShift - 1))) >> s.qShift;
        q = (p < 0 ? -q : q) - 3 * one;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(q, -32767, 32767));
}

// The format of fixed-point inputs (one for all: value times 2^inputShift)
// and each ranged sensor's integer scaling.
bool QuantiseFixedInputs(SmallNet& n, std::string& refusal) {
    double largest = 1.0;
    for (const auto& s : n.sensors) {
        if (s.type == KSR_TYPE_DESCRIPTOR_LIST) largest = std::max(largest, static_cast<double>(s.items));
        if (s.type != KSR_TYPE_BOOLEAN && s.type != KSR_TYPE_DESCRIPTOR_LIST && s.scale != 0.0)
            largest = std::max({largest, std::fabs(s.minimum), std::fabs(s.minimum + 6.0 / s.scale)});
    }
    if (!(largest < 2147483647.0)) {
        refusal = Format("an input's range reaches %g, beyond a 32-bit integer", largest);
        return false;
    }
    int shift = 16;  // a 32-bit input keeps a bit of headroom above its range
    while (shift > 0 && std::ldexp(largest, shift) > 1073741824.0) --shift;
    n.inputShift = shift;
    for (auto& s : n.sensors) {
        if (s.type == KSR_TYPE_BOOLEAN || s.type == KSR_TYPE_DESCRIPTOR_LIST || s.scale == 0.0) continue;
        // value on the sensor * 2^valueShift = (x - min * 2^shift) * scale * 2^(valueShift - shift)
        int sb = 62 - shift + n.valueShift;
        while (std::ldexp(s.scale, sb) >= 1073741824.0) --sb;
        s.qShift = sb + shift - n.valueShift;
        if (s.qShift < 1) {
            refusal = "an input's range is too narrow for fixed-point inputs; export with double inputs";
            return false;
        }
        s.qScale = static_cast<std::int64_t>(std::llround(std::ldexp(s.scale, sb)));
        s.qMinimum = static_cast<std::int64_t>(std::llround(std::ldexp(s.minimum, shift)));
    }
    return true;
}

// Lays out the fixed-point numbers: the value format, each stage's weight
// format with the bound of every sum, the thresholds and the table.
bool QuantiseFixed(SmallNet& n, std::string& refusal) {
    double largest = 1.0;  // logistic and step outputs
    std::vector<bool> setOnEntry(static_cast<std::size_t>(n.receptors), false);
    for (const auto& s : n.sensors) {
        setOnEntry[static_cast<std::size_t>(s.receptor)] = true;
        largest = std::max(largest, s.type == KSR_TYPE_DESCRIPTOR_LIST ? 4.0 : s.type == KSR_TYPE_BOOLEAN ? 1.0 : 3.0);
    }
    for (int r = 0; r < n.receptors; ++r) {
        const double v = n.initial[static_cast<std::size_t>(r)];
        if (setOnEntry[static_cast<std::size_t>(r)]) continue;
        if (!std::isfinite(v)) {
            refusal = Format("receptor %d sends %g, which has no fixed-point value", r + 1, v);
            return false;
        }
        largest = std::max(largest, std::fabs(v));
    }
    int shift = 14;
    while (shift >= 0 && std::ldexp(largest, shift) + 0.5 > 32767.0) --shift;
    if (shift < 0) {
        refusal = Format("a value of %g does not fit 16 bits", largest);
        return false;
    }
    n.valueShift = shift;
    n.qInitial.clear();
    std::vector<std::int64_t> most(static_cast<std::size_t>(n.receptors));  // the largest |value| each may hold
    for (int r = 0; r < n.receptors; ++r) {
        const auto q = setOnEntry[static_cast<std::size_t>(r)] ? 0 : RoundAway(std::ldexp(n.initial[static_cast<std::size_t>(r)], shift));
        n.qInitial.push_back(q);
        most[static_cast<std::size_t>(r)] = setOnEntry[static_cast<std::size_t>(r)] ? 32767 : std::abs(q);
    }
    for (const SmallNet::Stage& st : n.stages)
        for (int r : st.receivers)
            most[static_cast<std::size_t>(r)] = std::max<std::int64_t>(most[static_cast<std::size_t>(r)], std::int64_t{1} << shift);
    n.logisticTable.clear();
    for (int j = 0; j < kTablePoints; ++j) n.logisticTable.push_back(RoundAway(std::ldexp(ksr_logistic(-8.0 + j / 16.0), shift)));

    for (SmallNet::Stage& st : n.stages) {
        double w = 0.0;
        for (double x : st.weight) {
            if (!std::isfinite(x)) {
                refusal = "a weight that is not a finite number has no fixed-point value";
                return false;
            }
            w = std::max(w, std::fabs(x));
        }
        int ws = 15;
        while (ws > -16 && std::ldexp(w, ws) + 0.5 > 32767.0) --ws;
        for (;; --ws) {
            if (shift + ws < 12) {
                refusal = "the weights are too large for 16-bit fixed point with a 32-bit sum";
                return false;
            }
            st.qWeight.clear();
            for (double x : st.weight) st.qWeight.push_back(RoundAway(std::ldexp(x, ws)));
            st.bound.assign(st.receivers.size(), 0);
            bool fits = true;
            for (std::size_t i = 0; i < st.receivers.size(); ++i) {
                for (int k = st.linkStart[i]; k < st.linkStart[i + 1]; ++k) {
                    const int source = st.source[static_cast<std::size_t>(st.dense ? k - st.linkStart[i] : k)];
                    st.bound[i] += std::abs(std::int64_t{st.qWeight[static_cast<std::size_t>(k)]}) * most[static_cast<std::size_t>(source)];
                }
                fits = fits && st.bound[i] <= kSumLimit;
            }
            if (fits) break;
        }
        st.weightShift = ws;
        st.qThreshold.assign(st.receivers.size(), 0);
        for (std::size_t i = 0; i < st.receivers.size(); ++i) {
            const double t = st.threshold[i], limit = static_cast<double>(st.bound[i] + 1);
            const double scaled = std::ldexp(t, shift + ws);
            double q = 0.0;
            switch (st.code[i]) {
            case KSR_STEP:
            case KSR_STEP2: q = std::isnan(t) ? limit : std::ceil(scaled); break;           // acc >= q
            case KSR_BAND: q = std::isnan(t) ? -1.0 : std::floor(scaled); break;             // |acc| <= q
            case KSR_NEGATIVE_STEP: q = std::isnan(t) ? -limit : std::floor(-scaled); break;  // acc <= q
            default: break;
            }
            st.qThreshold[i] = static_cast<std::int32_t>(std::clamp(q, -limit, limit));
        }
    }
    return true;
}


}  // namespace

SmallNet BuildSmallNet(const CProject& p, CNumberType type, std::string& refusal, bool fixedInput) {
    SmallNet n;
    n.type = type;
    n.fixedInput = fixedInput && type == CNumberType::Fixed;
    refusal.clear();
    if (!p.Model()) {
        refusal = "the project has no network";
        return n;
    }
    FlatNetwork f;
    BuildFlatNetwork(*p.Model(), f);
    n.receptors = static_cast<int>(f.receptors.size());
    std::unordered_map<const CVariable*, int> inputIndex;
    for (std::size_t i = 0; i < p.m_inputs.m_items.size(); ++i) inputIndex[p.m_inputs.m_items[i].get()] = static_cast<int>(i);
    for (const CReceptor* r : f.receptors) {
        n.initial.push_back(r->m_iKind == kBias ? r->m_dBiasValue : r->m_dOutput);
        n.hasOutput.push_back(r->m_pOutput ? 1 : 0);
        n.outputId.push_back(r->m_pOutput ? r->m_pOutput->m_ID : 0);
    }
    for (const std::int32_t idx : f.sensors) {
        const CVariable* v = f.receptors[static_cast<std::size_t>(idx)]->m_pVariable;
        const auto found = v ? inputIndex.find(v) : inputIndex.end();
        if (found == inputIndex.end()) continue;  // keeps the value it has
        n.sensors.push_back({idx, found->second, v->m_iType, v->ItemCount(), v->m_dMin,
                             ksr_sensor_scale(v->m_iType, v->ItemCount(), v->m_dRange)});
    }
    const std::vector<std::int32_t>* lists[2] = {&f.processors, &f.actions};
    std::string unbounded;
    for (int s = 0; s < 2; ++s) {
        SmallNet::Stage& st = n.stages[s];
        st.linkStart.push_back(0);
        for (const std::int32_t idx : *lists[s]) {
            const CReceptor& r = *f.receptors[static_cast<std::size_t>(idx)];
            const int code = r.m_iKind == kAction ? (r.m_bLinearOutput ? KSR_LINEAR : KSR_LOGISTIC) : r.m_iActivation;
            st.receivers.push_back(idx);
            st.code.push_back(code);
            st.threshold.push_back(r.m_dThreshold);
            st.bit.push_back(static_cast<int>(static_cast<std::uint32_t>(r.m_iBitIndex) % 32u));
            st.allLogistic = st.allLogistic && code == KSR_LOGISTIC;
            if (!Bounded(code) && unbounded.size() < 200) unbounded += (unbounded.empty() ? "" : ", ") + r.m_label;
            for (int k = f.inStart[static_cast<std::size_t>(idx)]; k < f.inStart[static_cast<std::size_t>(idx) + 1]; ++k) {
                st.source.push_back(f.inSender[static_cast<std::size_t>(k)]);
                st.weight.push_back(f.connections[static_cast<std::size_t>(f.inConnection[static_cast<std::size_t>(k)])]->Weight());
            }
            st.linkStart.push_back(static_cast<int>(st.weight.size()));
        }
        // One list of senders serves a stage whose receivers all read the same ones in the same order.
        const std::size_t count = st.receivers.size();
        const int width = count ? st.linkStart[1] : 0;
        st.dense = count > 1;
        for (std::size_t i = 0; st.dense && i < count; ++i) {
            st.dense = st.linkStart[i + 1] - st.linkStart[i] == width;
            for (int k = 0; st.dense && k < width; ++k)
                st.dense = st.source[static_cast<std::size_t>(st.linkStart[i] + k)] == st.source[static_cast<std::size_t>(k)];
        }
        if (st.dense) st.source.resize(static_cast<std::size_t>(width));
    }
    n.actions.assign(f.actions.begin(), f.actions.end());
    std::vector<bool> isAction(static_cast<std::size_t>(n.receptors), false);
    for (int a : n.actions) isAction[static_cast<std::size_t>(a)] = true;
    bool actionsRead = false;
    for (const SmallNet::Stage& g : n.stages)
        for (int source : g.source) actionsRead = actionsRead || isAction[static_cast<std::size_t>(source)];
    n.decideByNet = n.stages[1].allLogistic && !actionsRead;
    if (type == CNumberType::Fixed) {
        if (!unbounded.empty()) {
            refusal = "fixed point needs receptors whose output is bounded; linear: " + unbounded;
            return n;
        }
        if (QuantiseFixed(n, refusal) && n.fixedInput) QuantiseFixedInputs(n, refusal);
    }
    return n;
}

std::int32_t FixedInputValue(const SmallNet& n, double value) {
    const double q = std::ldexp(value, n.inputShift);
    if (!(q > -2147483647.5)) return -2147483647 - 1;  // and a NaN
    if (q >= 2147483647.0) return 2147483647;
    return RoundAway(q);
}

std::int32_t EmulateSmallNet(const SmallNet& n, const double* inputs, std::vector<double>* actionValues) {
    const auto R = static_cast<std::size_t>(n.receptors);
    std::int32_t winner = -1;
    if (actionValues) actionValues->clear();
    if (n.type == CNumberType::Fixed) {
        std::vector<std::int32_t> v(n.qInitial.begin(), n.qInitial.end());
        const double one = std::ldexp(1.0, n.valueShift);
        for (const auto& s : n.sensors) {
            if (n.fixedInput) {
                v[static_cast<std::size_t>(s.receptor)] = SensorFromFixed(n, s, FixedInputValue(n, inputs[s.input]));
                continue;
            }
            double q = ksr_sensor_output(s.type, s.items, s.minimum, s.scale, inputs[s.input]) * one;
            q = std::clamp(q, -32767.0, 32767.0);
            v[static_cast<std::size_t>(s.receptor)] = RoundAway(q);
        }
        std::vector<std::int32_t> nets;  // the actions' sums
        for (const SmallNet::Stage& st : n.stages)
            for (std::size_t i = 0; i < st.receivers.size(); ++i) {
                std::int32_t acc = 0;
                for (int k = st.linkStart[i]; k < st.linkStart[i + 1]; ++k) {
                    const int source = st.source[static_cast<std::size_t>(st.dense ? k - st.linkStart[i] : k)];
                    acc += v[static_cast<std::size_t>(source)] * st.qWeight[static_cast<std::size_t>(k)];
                }
                v[static_cast<std::size_t>(st.receivers[i])] = ActivateFixed(n, st, i, acc);
                if (&st == &n.stages[1]) nets.push_back(acc);
            }
        std::int32_t best = n.decideByNet ? INT32_MIN : -(std::int32_t{1} << n.valueShift);
        for (std::size_t j = 0; j < n.actions.size(); ++j) {
            const int a = n.actions[j];
            const std::int32_t x = n.decideByNet ? nets[j] : v[static_cast<std::size_t>(a)];
            if (actionValues) actionValues->push_back(std::ldexp(static_cast<double>(v[static_cast<std::size_t>(a)]), -n.valueShift));
            if (n.hasOutput[static_cast<std::size_t>(a)] && x > best) {
                best = x;
                winner = a;
            }
        }
    } else if (n.type == CNumberType::Double) {
        // As the double export computes: the trainer's kernel, each sum in link order.
        std::vector<double> v(n.initial.begin(), n.initial.end());
        for (const auto& s : n.sensors)
            v[static_cast<std::size_t>(s.receptor)] = ksr_sensor_output(s.type, s.items, s.minimum, s.scale, inputs[s.input]);
        for (int s = 0; s < 2; ++s) {
            const SmallNet::Stage& st = n.stages[s];
            for (std::size_t i = 0; i < st.receivers.size(); ++i) {
                double acc = 0.0;
                for (int k = st.linkStart[i]; k < st.linkStart[i + 1]; ++k) {
                    const int source = st.source[static_cast<std::size_t>(st.dense ? k - st.linkStart[i] : k)];
                    acc += v[static_cast<std::size_t>(source)] * st.weight[static_cast<std::size_t>(k)];
                }
                v[static_cast<std::size_t>(st.receivers[i])] =
                    s == 1 ? ksr_action_output(st.code[i] == KSR_LINEAR, acc)
                           : ksr_processor_output(st.code[i], acc, st.threshold[i], st.bit[i]);
            }
        }
        double best = -1.0;
        for (int a : n.actions) {
            const double x = v[static_cast<std::size_t>(a)];
            if (actionValues) actionValues->push_back(x);
            if (n.hasOutput[static_cast<std::size_t>(a)] && x > best) {
                best = x;
                winner = a;
            }
        }
    } else {
        std::vector<float> v(R);
        for (std::size_t r = 0; r < R; ++r) v[r] = static_cast<float>(n.initial[r]);
        for (const auto& s : n.sensors)
            v[static_cast<std::size_t>(s.receptor)] = SensorFloat(s, static_cast<float>(inputs[s.input]));
        std::vector<float> nets;  // the actions' sums
        for (const SmallNet::Stage& st : n.stages)
            for (std::size_t i = 0; i < st.receivers.size(); ++i) {
                float sum = 0.0f;
                for (int k = st.linkStart[i]; k < st.linkStart[i + 1]; ++k) {
                    const int source = st.source[static_cast<std::size_t>(st.dense ? k - st.linkStart[i] : k)];
                    sum += v[static_cast<std::size_t>(source)] * static_cast<float>(st.weight[static_cast<std::size_t>(k)]);
                }
                v[static_cast<std::size_t>(st.receivers[i])] =
                    ActivateFloat(st.code[i], static_cast<float>(st.threshold[i]), st.bit[i], sum);
                if (&st == &n.stages[1]) nets.push_back(sum);
            }
        float best = n.decideByNet ? -std::numeric_limits<float>::infinity() : -1.0f;
        for (std::size_t j = 0; j < n.actions.size(); ++j) {
            const int a = n.actions[j];
            const float x = n.decideByNet ? nets[j] : v[static_cast<std::size_t>(a)];
            if (actionValues) actionValues->push_back(v[static_cast<std::size_t>(a)]);
            if (n.hasOutput[static_cast<std::size_t>(a)] && x > best) {
                best = x;
                winner = a;
            }
        }
    }
    return winner < 0 ? 0 : n.outputId[static_cast<std::size_t>(winner)];
}

}  // namespace ks
