// The C text of the float and fixed-point exports, from the layout that
// c_export_small.cpp builds and emulates.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "files/c_export_small.h"
#include "model/project.h"
#include "model/text.h"
#include "sum_block_text.h"

namespace ks {

namespace {

constexpr std::size_t kLanes = 8;  // receivers summed side by side (a vector's width of floats)

std::string FloatNum(double v) {
    const float f = static_cast<float>(v);
    if (std::isnan(f)) return "NAN";
    if (std::isinf(f)) return f > 0 ? "INFINITY" : "-INFINITY";
    return Format("%af", static_cast<double>(f));
}


const char* IndexType(std::int64_t largest) { return largest <= 255 ? "uint8_t" : largest <= 65535 ? "uint16_t" : "uint32_t"; }
std::size_t IndexBytes(std::int64_t largest) { return largest <= 255 ? 1 : largest <= 65535 ? 2 : 4; }

struct Tables {
    std::string text;
    std::size_t bytes = 0, weightBytes = 0;
    template <class T, class F>
    void Add(const char* type, std::size_t size, const std::string& name, const std::vector<T>& values, F spell) {
        text += Format("static const %s %s[%zu] = {", type, name.c_str(), std::max<std::size_t>(values.size(), 1));
        for (std::size_t i = 0; i < values.size(); ++i) text += (i % 12 == 0 ? "\n    " : " ") + spell(values[i]) + (i + 1 < values.size() ? "," : "");
        if (values.empty()) text += "0";
        text += "\n};\n";
        bytes += size * std::max<std::size_t>(values.size(), 1);
    }
};

std::string IntText(std::int64_t v) { return std::to_string(v); }

}  // namespace

CSource GenerateSmallCSource(const CProject& p, const SmallNet& n, const std::string& prefix, std::string* sizes) {
    const bool fixed = n.type == CNumberType::Fixed;
    const std::string input = n.fixedInput ? "int32_t" : fixed ? "double" : "float";  // what the API takes
    const std::string P = Upper(prefix);
    const std::string inputNote =
        n.fixedInput ? Format("/* The inputs are fixed point: inputs[i] = value * %s_NET_INPUT_ONE, rounded half away from zero.\n"
                              "   (A Descriptor List's item index i is i * %s_NET_INPUT_ONE; a Boolean is 0 or not.) */\n"
                              "#define %s_NET_INPUT_ONE ((int32_t)1 << %d)\n",
                              P.c_str(), P.c_str(), P.c_str(), n.inputShift)
                     : std::string();
    CSource out = GenerateCHeaderOnly(p, prefix, input.c_str(), inputNote);
    const char* value = fixed ? "int16_t" : "float";
    const char* sum = fixed ? "int32_t" : "float";
    const std::size_t valueBytes = fixed ? 2 : 4;
    auto spellValue = [&](double x) { return FloatNum(x); };
    Tables t;
    const char* rtype = IndexType(n.receptors);
    const std::size_t rbytes = IndexBytes(n.receptors);
    // Value slots with the actions last: when nothing reads an action, its value is
    // compared as it is made and never kept, and the array holds the others only.
    const auto R = static_cast<std::size_t>(n.receptors);
    std::vector<bool> isAction(R, false);
    for (int a : n.actions) isAction[static_cast<std::size_t>(a)] = true;
    bool actionsRead = false;
    for (const SmallNet::Stage& g : n.stages)
        for (int source : g.source) actionsRead = actionsRead || isAction[static_cast<std::size_t>(source)];
    std::vector<int> slot(R);
    std::vector<std::size_t> bySlot;
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t r = 0; r < R; ++r)
            if (isAction[r] == (pass == 1)) {
                slot[r] = static_cast<int>(bySlot.size());
                bySlot.push_back(r);
            }
    const std::size_t kept = actionsRead ? R : R - n.actions.size();
    auto slots = [&](const std::vector<int>& receptors) {
        std::vector<int> out;
        for (int r : receptors) out.push_back(slot[static_cast<std::size_t>(r)]);
        return out;
    };
    std::vector<std::int32_t> qInitial;
    std::vector<double> initial;
    for (std::size_t k = 0; k < kept; ++k) {
        if (fixed) qInitial.push_back(n.qInitial[bySlot[k]]);
        initial.push_back(n.initial[bySlot[k]]);
    }
    if (fixed)
        t.Add("int16_t", 2, "initial", qInitial, IntText);
    else
        t.Add("float", 4, "initial", initial, spellValue);
    // Each distinct scaling of an input onto its sensor is stored once.
    std::vector<int> sr, si, sk, st, sn;
    std::vector<double> smin, sscale;
    std::vector<std::int64_t> qmin, qscale, qshift;  // fixed-point inputs
    for (const auto& s : n.sensors) {
        sr.push_back(slot[static_cast<std::size_t>(s.receptor)]);
        si.push_back(s.input);
        std::size_t k = 0;
        while (k < st.size() && !(st[k] == s.type && sn[k] == s.items && std::memcmp(&smin[k], &s.minimum, sizeof(double)) == 0 &&
                                  std::memcmp(&sscale[k], &s.scale, sizeof(double)) == 0))
            ++k;
        if (k == st.size()) {
            st.push_back(s.type);
            sn.push_back(s.items);
            smin.push_back(s.minimum);
            sscale.push_back(s.scale);
            qmin.push_back(s.qMinimum);
            qscale.push_back(s.qScale);
            qshift.push_back(s.qShift);
        }
        sk.push_back(static_cast<int>(k));
    }
    std::int64_t mostItems = 0;
    for (int items : sn) mostItems = std::max<std::int64_t>(mostItems, items);
    t.Add(rtype, rbytes, "sensor_receptor", sr, IntText);
    t.Add(IndexType(p.m_inputs.Count()), IndexBytes(p.m_inputs.Count()), "sensor_input", si, IntText);
    t.Add(IndexType(static_cast<std::int64_t>(st.size())), IndexBytes(static_cast<std::int64_t>(st.size())), "sensor_scaling", sk, IntText);
    t.Add("uint8_t", 1, "scaling_type", st, IntText);
    t.Add(IndexType(mostItems), IndexBytes(mostItems), "scaling_items", sn, IntText);
    if (n.fixedInput) {
        t.Add("int32_t", 4, "scaling_minimum", qmin, IntText);
        t.Add("int32_t", 4, "scaling_factor", qscale, IntText);
        t.Add("uint8_t", 1, "scaling_shift", qshift, IntText);
        t.Add("int16_t", 2, "logistic_table", n.logisticTable, IntText);
    } else if (fixed) {
        t.Add("double", 8, "scaling_minimum", smin, CDoubleLiteral);
        t.Add("double", 8, "scaling_factor", sscale, CDoubleLiteral);
        t.Add("int16_t", 2, "logistic_table", n.logisticTable, IntText);
    } else {
        t.Add("float", 4, "scaling_minimum", smin, spellValue);
        t.Add("float", 4, "scaling_factor", sscale, spellValue);
    }
    std::string stages, batchStages;
    for (int s = 0; s < 2; ++s) {
        const SmallNet::Stage& g = n.stages[s];
        const std::string S = std::to_string(s + 1);
        if (g.receivers.empty()) continue;
        const bool compared = s == 1 && !actionsRead;  // the actions, compared as they are made
        if (compared) {
            std::vector<std::int32_t> ids;
            for (int r : g.receivers) ids.push_back(n.hasOutput[static_cast<std::size_t>(r)] ? n.outputId[static_cast<std::size_t>(r)] : 0);
            t.Add("int32_t", 4, "output" + S, ids, IntText);
        } else {
            t.Add(rtype, rbytes, "receiver" + S, slots(g.receivers), IntText);
        }
        t.Add(rtype, rbytes, "source" + S, slots(g.source), IntText);
        // A dense stage that reads none of its own receivers sums kLanes receivers at
        // once (each still in link order): their weights go link by link across the
        // lanes, the rest receiver by receiver.
        const std::size_t count = g.receivers.size();
        const int width = g.dense ? g.linkStart[1] : 0;
        bool readsNoReceiver = true;
        for (int r : g.receivers) readsNoReceiver = readsNoReceiver && std::find(g.source.begin(), g.source.end(), r) == g.source.end();
        const bool blocked = g.dense && count >= kLanes && readsNoReceiver;
        const std::size_t full = blocked ? count / kLanes : 0;
        std::vector<std::size_t> order;  // link positions in the order the table holds them
        for (std::size_t b = 0; b < full; ++b)
            for (int k = 0; k < width; ++k)
                for (std::size_t j = 0; j < kLanes; ++j) order.push_back((b * kLanes + j) * static_cast<std::size_t>(width) + static_cast<std::size_t>(k));
        for (std::size_t at = full * kLanes * static_cast<std::size_t>(width); at < g.weight.size(); ++at) order.push_back(at);
        const std::size_t before = t.bytes;
        if (fixed) {
            std::vector<std::int32_t> w;
            for (std::size_t at : order) w.push_back(g.qWeight[at]);
            t.Add("int16_t", 2, "weight" + S, w, IntText);
        } else {
            std::vector<double> w;
            for (std::size_t at : order) w.push_back(g.weight[at]);
            t.Add("float", 4, "weight" + S, w, spellValue);
        }
        t.weightBytes += t.bytes - before;
        if (!g.dense) t.Add(IndexType(g.weight.size()), IndexBytes(static_cast<std::int64_t>(g.weight.size())), "link_start" + S, g.linkStart, IntText);
        if (!g.allLogistic) {
            t.Add("uint8_t", 1, "code" + S, g.code, IntText);
            t.Add("uint8_t", 1, "bit" + S, g.bit, IntText);
            if (fixed)
                t.Add("int32_t", 4, "threshold" + S, g.qThreshold, IntText);
            else
                t.Add("float", 4, "threshold" + S, g.threshold, spellValue);
        }
        std::string body;
        if (fixed) {
            std::int64_t bound = 0;
            for (std::int64_t b : g.bound) bound = std::max(bound, b);
            body += Format("    /* Stage %d: %zu receivers; weights carry %d fraction bits, values %d, so a sum carries %d.\n"
                           "       No sum can overflow: for each receiver, the sum of |weight| times the largest |value|\n"
                           "       its sender can hold (32767 for an input, %d for a receptor's output) is at most\n"
                           "       %lld < 2^31 - 1, worked out for every receiver when this file was written. */\n",
                           s + 1, count, g.weightShift, n.valueShift, g.weightShift + n.valueShift, 1 << n.valueShift,
                           static_cast<long long>(bound));
        } else {
            body += Format("    /* Stage %d: %zu receivers, each sum in link order. */\n", s + 1, count);
        }
        // `lanes`: in a loop that works out many at once.
        auto logistic = [&](const std::string& accText, bool lanes = false) {
            return fixed ? Format("logistic_q(%s, %d)", accText.c_str(), g.weightShift + n.valueShift)
                         : (lanes ? "ksr_logistic_lanes_f(" : "ksr_logistic_f(") + accText + ")";
        };
        // The line that turns receiver i's sum into its value.
        auto assign = [&](const std::string& indent, const std::string& accText, const std::string& lane = "") {
            const int shift = g.weightShift + n.valueShift;
            const std::string best = "best" + lane, decided = "decided" + lane, to = "v[receiver" + S + "[i]]" + lane;
            if (compared && n.decideByNet)
                return Format("%sif (output%s[i] != 0 && %s > %s) {\n%s    %s = %s;\n%s    %s = output%s[i];\n%s}\n",
                              indent.c_str(), S.c_str(), accText.c_str(), best.c_str(), indent.c_str(), best.c_str(),
                              accText.c_str(), indent.c_str(), decided.c_str(), S.c_str(), indent.c_str());
            if (compared) {
                // Ties keep the first action in the list, as the trainer's rule does.
                const std::string y = g.allLogistic
                    ? logistic(accText)
                    : (fixed ? Format("activate_q(code%s[i], threshold%s[i], bit%s[i], %s, %d)", S.c_str(), S.c_str(), S.c_str(), accText.c_str(), shift)
                             : Format("activate_f(code%s[i], threshold%s[i], bit%s[i], %s)", S.c_str(), S.c_str(), S.c_str(), accText.c_str()));
                return Format("%s{\n%s    const %s y = %s;\n%s    if (output%s[i] != 0 && y > %s) {\n%s        %s = y;\n"
                              "%s        %s = output%s[i];\n%s    }\n%s}\n",
                              indent.c_str(), indent.c_str(), sum, y.c_str(), indent.c_str(), S.c_str(), best.c_str(),
                              indent.c_str(), best.c_str(), indent.c_str(), decided.c_str(), S.c_str(), indent.c_str(),
                              indent.c_str());
            }
            if (g.allLogistic)
                return Format("%s%s = %s%s;\n", indent.c_str(), to.c_str(), fixed ? "(int16_t)" : "", logistic(accText).c_str());
            return fixed ? Format("%s%s = (int16_t)activate_q(code%s[i], threshold%s[i], bit%s[i], %s, %d);\n", indent.c_str(),
                                  to.c_str(), S.c_str(), S.c_str(), S.c_str(), accText.c_str(), shift)
                         : Format("%s%s = activate_f(code%s[i], threshold%s[i], bit%s[i], %s);\n", indent.c_str(), to.c_str(),
                                  S.c_str(), S.c_str(), S.c_str(), accText.c_str());
        };
        const char* widen = fixed ? "(int32_t)" : "";
        const char* wtype = fixed ? "int16_t" : "float";
        // A loop over the blocks, `blocks` at a time from b on.
        auto blockLoop = [&](std::size_t blocks, const std::string& loop) {
            const std::size_t lanes = kLanes * blocks, blockWeights = kLanes * static_cast<std::size_t>(width);
            std::string text = Format("    for (%s) {\n        %s acc[%zu];\n        const %s *w = weight%s + b * %zu;\n"
                                      "        for (j = 0; j < %zu; ++j) acc[j] = 0;\n        for (k = 0; k < %d; ++k) {\n"
                                      "            const %s x = v[source%s[k]];\n",
                                      loop.c_str(), sum, lanes, wtype, S.c_str(), blockWeights, lanes, width, sum, S.c_str());
            for (std::size_t q = 0; q < blocks; ++q)
                text += Format("            for (j = 0; j < %zu; ++j) acc[%zu + j] += x * %sw[%zu + k * %zu + j];\n", kLanes,
                               q * kLanes, widen, q * blockWeights, kLanes);
            text += "        }\n";
            if (g.allLogistic && !compared)  // the block's logistics side by side, then the values to their slots
                text += Format("        for (j = 0; j < %zu; ++j) acc[j] = %s;\n"
                               "        for (j = 0; j < %zu; ++j) v[receiver%s[b * %zu + j]] = %sacc[j];\n    }\n",
                               lanes, logistic("acc[j]", true).c_str(), lanes, S.c_str(), kLanes, fixed ? "(int16_t)" : "");
            else
                text += Format("        for (j = 0; j < %zu; ++j) {\n            i = b * %zu + j;\n", lanes, kLanes) +
                        assign("            ", "acc[j]") + "        }\n    }\n";
            return text;
        };
        if (full >= 2 && !fixed) {
            // Where registers are many, two blocks advance together: twice the sums in
            // flight, each still in link order, so the results are the same.
            body += "    b = 0;\n#ifdef TWO_BLOCKS\n" + blockLoop(2, Format("; b + 2 <= %zu; b += 2", full)) + "#endif\n" +
                    blockLoop(1, Format("; b < %zu; ++b", full));
        } else if (full > 0) {
            body += blockLoop(1, Format("b = 0; b < %zu; ++b", full));
        }
        // Float logistics of receivers one by one are worked out together after their sums, where
        // there are enough of them to outweigh waiting for the last sum.
        const bool tailTogether = !fixed && g.allLogistic && !compared && readsNoReceiver && count - full * kLanes >= kLanes;
        // Rounded up to whole vectors of four (the spare lanes are worked out too, and dropped).
        const std::size_t tail = count - full * kLanes, padded = (tail + 3) / 4 * 4;
        if (tailTogether) body += Format("    {\n    float y[%zu] = {0};\n", padded);
        if (full * kLanes < count) {
            body += Format("    for (i = %zu; i < %zu; ++i) {\n        %s acc = 0;\n", full * kLanes, count, sum);
            if (g.dense)
                body += Format("        const %s *w = weight%s + %zu + (i - %zu) * %d;\n        for (k = 0; k < %d; ++k) acc += %sv[source%s[k]] * %sw[k];\n",
                               wtype, S.c_str(), full * kLanes * static_cast<std::size_t>(width), full * kLanes, width, width,
                               widen, S.c_str(), widen);
            else
                body += Format("        for (k = link_start%s[i]; k < link_start%s[i + 1]; ++k) acc += %sv[source%s[k]] * %sweight%s[k];\n",
                               S.c_str(), S.c_str(), widen, S.c_str(), widen, S.c_str());
            if (tailTogether)
                body += Format("        y[i - %zu] = acc;\n    }\n    for (j = 0; j < %zu; ++j) y[j] = ksr_logistic_lanes_f(y[j]);\n"
                               "    for (j = 0; j < %zu; ++j) v[receiver%s[%zu + j]] = y[j];\n    }\n",
                               full * kLanes, padded, tail, S.c_str(), full * kLanes);
            else
                body += assign("        ", "acc") + "    }\n";
        }
        stages += body;

        // The same stage for CASES cases side by side: per case the same operations in
        // the same order, so each decides exactly as alone.
        std::string batch;
        // Turns acc[j][c] (all cases) into receiver i's values.
        auto finish = [&](const std::string& indent, const char* j) {
            if (g.allLogistic && !compared)
                return Format("%sfor (c = 0; c < CASES; ++c) acc[%s][c] = %s;\n"
                              "%sfor (c = 0; c < CASES; ++c) v[receiver%s[i]][c] = %sacc[%s][c];\n",
                              indent.c_str(), j, logistic(Format("acc[%s][c]", j), true).c_str(), indent.c_str(), S.c_str(),
                              fixed ? "(int16_t)" : "", j);
            return Format("%sfor (c = 0; c < CASES; ++c) {\n", indent.c_str()) +
                   assign(indent + "    ", Format("acc[%s][c]", j), "[c]") + indent + "}\n";
        };
        if (full > 0) {
            batch += Format("        for (b = 0; b < %zu; ++b) {\n            const %s *w = weight%s + b * %zu;\n"
                            "            memset(acc, 0, sizeof acc);\n            for (k = 0; k < %d; ++k) {\n"
                            "                const %s *x = v[source%s[k]];\n                for (j = 0; j < %zu; ++j) {\n"
                            "                    const %s wk = w[k * %zu + j];\n"
                            "                    for (c = 0; c < CASES; ++c) acc[j][c] += %sx[c] * wk;\n                }\n            }\n"
                            "            for (j = 0; j < %zu; ++j) {\n                i = b * %zu + j;\n",
                            full, wtype, S.c_str(), kLanes * static_cast<std::size_t>(width), width, value, S.c_str(), kLanes, sum,
                            kLanes, widen, kLanes, kLanes);
            batch += finish("                ", "j") + "            }\n        }\n";
        }
        if (full * kLanes < count) {
            batch += Format("        for (i = %zu; i < %zu; ++i) {\n            memset(acc[0], 0, sizeof acc[0]);\n", full * kLanes, count);
            if (g.dense)
                batch += Format("            const %s *w = weight%s + %zu + (i - %zu) * %d;\n            for (k = 0; k < %d; ++k) {\n"
                                "                const %s wk = w[k];\n",
                                wtype, S.c_str(), full * kLanes * static_cast<std::size_t>(width), full * kLanes, width, width, sum);
            else
                batch += Format("            for (k = link_start%s[i]; k < link_start%s[i + 1]; ++k) {\n"
                                "                const %s wk = weight%s[k];\n", S.c_str(), S.c_str(), sum, S.c_str());
            batch += Format("                const %s *x = v[source%s[k]];\n"
                            "                for (c = 0; c < CASES; ++c) acc[0][c] += %sx[c] * wk;\n            }\n",
                            value, S.c_str(), widen);
            batch += finish("            ", "0") + "        }\n";
        }
        batchStages += batch;
    }
    std::vector<int> dr, dout;
    for (int a : n.actions)
        if (n.hasOutput[static_cast<std::size_t>(a)]) {
            dr.push_back(slot[static_cast<std::size_t>(a)]);
            dout.push_back(n.outputId[static_cast<std::size_t>(a)]);
        }
    if (actionsRead) {
        t.Add(rtype, rbytes, "decision_receptor", dr, IntText);
        t.Add("int32_t", 4, "decision_output", dout, IntText);
    }

    std::string s = Format("/* %s: the network of \"%s\", exported by Kestrine in %s.\n", out.sourceName.c_str(),
                           p.m_name.c_str(), fixed ? "16-bit fixed point" : "single precision");
    if (n.decideByNet)
        s += " * The decision compares the actions' sums: the logistic orders them alike, and sums still differ\n"
             " * where every output has reached 1 in this precision.\n";
    s += n.fixedInput ? " * Integers only, the inputs' scaling included: no libm. Decisions may differ from\n"
                        " * the trainer's where two outputs are close: kestrine-cli export --verify counts where. */\n"
         : fixed ? " * Integers only, but for the scaling of the inputs on entry; no libm. Decisions may differ from the\n"
                 " * trainer's where two outputs are close: kestrine-cli export --verify counts where. */\n"
               : " * No double anywhere. Decisions may differ from the trainer's where two outputs are close:\n"
                 " * kestrine-cli export --verify counts where. */\n";
    if (n.fixedInput) {
        s += "#include \"" + out.headerName + "\"\n\n#include <string.h>\n\n";
    } else {
        s += "#include \"" + out.headerName + "\"\n\n#include <float.h>\n#include <math.h>\n#include <string.h>\n\n";
        s += "#if defined(__clang__)\n#pragma clang fp contract(off)\n#elif defined(__GNUC__)\n"
             "#pragma GCC optimize(\"fp-contract=off\")\n#endif\n"
             "/* The check made at export holds for arithmetic as written, each operation rounded to its type. */\n"
             "#if defined(__FAST_MATH__) || (defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD != 0)\n"
             "#error \"compile without -ffast-math, with float arithmetic in float (FLT_EVAL_METHOD 0)\"\n#endif\n\n";
    }
    s += Format("#define VALUES %zu\n#define SENSORS %zu\n#define DECISIONS %zu\n\n", kept, n.sensors.size(), dr.size());
    if (!fixed) s += "/* 64-bit machines have the registers to sum two blocks of receivers at once. */\n"
                     "#if UINTPTR_MAX > 0xffffffffu\n#define TWO_BLOCKS\n#endif\n\n";
    s += t.text + "\n";
    s += "const char *" + prefix + "_net_output_name(int32_t id) {\n    switch (id) {\n";
    for (const auto& o : p.m_outputs.m_items) s += Format("    case %d: return %s;\n", o->m_ID, CStringLiteral(o->m_name).c_str());
    s += "    default: return 0;\n    }\n}\n\n";
    if (n.fixedInput) {
        const long long one = 1LL << n.valueShift;
        s += Format(R"C(/* A fixed-point input onto its sensor, in integers: ((x - minimum) * factor) / 2^shift - 3,
 * rounded half away from zero, with %d fraction bits (saturating). */
static int16_t sensor_q(int i, int32_t x) {
    const int k = sensor_scaling[i], type = scaling_type[k];
    int64_t q;
    if (type == 0) return x == 0 ? 0 : %lld;
    if (type == 7) {
        const int64_t d = (int64_t)scaling_items[k] - 1;
        int64_t num;
        if (d <= 0) return 0;
        num = (int64_t)(x / ((int32_t)1 << %d)) * %lldLL;
        q = num >= 0 ? (num + d / 2) / d : -((-num + d / 2) / d);
    } else if (scaling_factor[k] == 0) {
        q = -%lldLL;
    } else {
        const int64_t p = ((int64_t)x - scaling_minimum[k]) * scaling_factor[k], m = p < 0 ? -p : p;
        q = (m + ((int64_t)1 << (scaling_shift[k] - 1))) >> scaling_shift[k];
        q = (p < 0 ? -q : q) - %lldLL;
    }
    if (q > 32767) q = 32767;
    if (q < -32767) q = -32767;
    return (int16_t)q;
}
)C",
                    n.valueShift, one, n.inputShift, 4 * one, 3 * one, 3 * one);
    }
    if (fixed) {
        if (!n.fixedInput) s += Format(R"C(/* An input onto its sensor, as the trainer scales it, then to %d fraction bits (saturating). */
static int16_t sensor_q(int i, double x) {
    const int k = sensor_scaling[i], type = scaling_type[k];
    const int32_t items = scaling_items[k];
    const double scale = scaling_factor[k];
    double out, q;
    if (type == 0) {
        out = x == 0.0 ? 0.0 : 1.0;
    } else if (type == 7) {
        int32_t index = INT32_MIN;
        if (x > -2147483649.0 && x < 2147483648.0) index = (int32_t)x;
        out = items <= 1 ? 0.0 : (double)(float)(scale * (double)index);
    } else if (scale == 0.0) {
        out = -3.0;
    } else {
        out = (x - scaling_minimum[k]) * scale - 3.0;
        if (!isfinite(out)) out = -3.0;
    }
    q = out * %d.0;
    if (q > 32767.0) q = 32767.0;
    if (q < -32767.0) q = -32767.0;
    return (int16_t)(q >= 0 ? (int32_t)(q + 0.5) : -(int32_t)(-q + 0.5));
}
)C",
                                       n.valueShift, 1 << n.valueShift);
        s += R"C(
/* Toward zero (a right shift of a negative number is not defined in C). */
static int32_t shift_down(int32_t a, int s) { return s <= 0 ? a : a >= 0 ? a >> s : -((-a) >> s); }

/* The logistic of a sum with `shift` fraction bits: the table between -8 and +8
 * (points 1/16 apart, linear in between), its ends beyond. */
static int32_t logistic_q(int32_t acc, int shift) {
    const int32_t limit = shift <= 27 ? (int32_t)8 << shift : INT32_MAX;
    int32_t u, index, frac;
    if (shift <= 27 && acc >= limit) return logistic_table[256];
    if (shift <= 27 && acc <= -limit) return logistic_table[0];
    u = shift_down(acc, shift - 12) + 32768; /* 12 fraction bits, from 0 at -8 */
    index = u >> 8;
    frac = u & 255;
    if (index >= 256) return logistic_table[256];
    return logistic_table[index] + ((((int32_t)logistic_table[index + 1] - logistic_table[index]) * frac) >> 8);
}
)C";
        if (!n.stages[0].allLogistic || !n.stages[1].allLogistic)
            s += Format(R"C(
static int32_t activate_q(int code, int32_t threshold, int bit, int32_t acc, int shift) {
    const int32_t one = (int32_t)1 << %d;
    switch (code) {
    case 0: case 5: return acc >= threshold ? one : 0;
    case 2: return logistic_q(acc, shift);
    case 3: return (acc < 0 ? -acc : acc) <= threshold ? one : 0;
    case 4: return acc <= threshold ? one : 0;
    case 6: return (((uint32_t)shift_down(acc, shift) >> (uint32_t)bit) & 1u) ? one : 0;
    default: return 0;
    }
}
)C",
                        n.valueShift);
    } else {
        s += std::string(kSmallLogisticText) + "\n";
        s += R"C(static int32_t trunc32f(float x) {
    if (!(x > -2147483649.0f && x < 2147483648.0f)) return INT32_MIN;
    return (int32_t)x;
}

static float sensor_f(int i, float x) {
    const int k = sensor_scaling[i], type = scaling_type[k];
    const float scale = scaling_factor[k];
    float out;
    if (type == 0) return x == 0.0f ? 0.0f : 1.0f;
    if (type == 7) return scaling_items[k] <= 1 ? 0.0f : scale * (float)trunc32f(x);
    if (scale == 0.0f) return -3.0f;
    out = (x - scaling_minimum[k]) * scale - 3.0f;
    return isfinite(out) ? out : -3.0f;
}
)C";
        if (!n.stages[0].allLogistic || !n.stages[1].allLogistic)
            s += R"C(
static float activate_f(int code, float threshold, int bit, float net) {
    switch (code) {
    case 0: case 5: return net >= threshold ? 1.0f : 0.0f;
    case 1: return net;
    case 2: return ksr_logistic_f(net);
    case 3: return (net < 0.0f ? -net : net) <= threshold ? 1.0f : 0.0f;
    case 4: return net <= -threshold ? 1.0f : 0.0f;
    case 6: return (((uint32_t)trunc32f(net) >> (uint32_t)bit) & 1u) ? 1.0f : 0.0f;
    default: return 0.0f;
    }
}
)C";
    }
    const std::string bestStart = n.decideByNet ? (fixed ? "INT32_MIN" : "-INFINITY")
                                                : (fixed ? Format("-((int32_t)1 << %d)", n.valueShift) : "-1.0f");
    s += Format("\nint32_t %s_net_decide(const %s *inputs) {\n    %s v[VALUES];\n    %s best = %s;\n"
                "    int32_t decided = 0;\n    (void)decided;\n    (void)best;\n"
                "    int i, k, b, j, winner = -1;\n    (void)k;\n    (void)b;\n    (void)j;\n    (void)winner;\n    memcpy(v, initial, sizeof v);\n"
                "    for (i = 0; i < SENSORS; ++i) v[sensor_receptor[i]] = %s(i, inputs[sensor_input[i]]);\n",
                prefix.c_str(), input.c_str(), value, sum, bestStart.c_str(), fixed ? "sensor_q" : "sensor_f");
    s += stages;
    if (actionsRead)
        s += "    for (i = 0; i < DECISIONS; ++i)\n        if (v[decision_receptor[i]] > best) {\n"
             "            best = v[decision_receptor[i]];\n            winner = i;\n        }\n"
             "    return winner < 0 ? 0 : decision_output[winner];\n}\n";
    else
        s += "    return decided;\n}\n";

    // The batch: CASES cases side by side where the stack can hold their values.
    s += Format("\n/* Cases decided side by side by %s_net_decide_batch: their values take VALUES x CASES\n"
                " * numbers of stack. 8 on 64-bit machines, else 1 (one after another); define %s_NET_BATCH_CASES\n"
                " * to choose. The decisions are the same whatever it is. */\n"
                "#ifndef %s_NET_BATCH_CASES\n#if UINTPTR_MAX > 0xffffffffu\n#define %s_NET_BATCH_CASES 8\n#else\n"
                "#define %s_NET_BATCH_CASES 1\n#endif\n#endif\n#define CASES %s_NET_BATCH_CASES\n\n",
                prefix.c_str(), P.c_str(), P.c_str(), P.c_str(), P.c_str(), P.c_str());
    s += Format("void %s_net_decide_batch(const %s *inputs, size_t n, int32_t *decisions) {\n    size_t done = 0;\n"
                "#if CASES > 1\n    while (n - done >= CASES) {\n        %s v[VALUES][CASES];\n        %s acc[%zu][CASES];\n"
                "        %s best[CASES];\n        int32_t decided[CASES];\n"
                "        const %s *in = inputs + done * %s_NET_INPUTS;\n        int i, k, b, j, c;\n"
                "        (void)acc;\n        (void)best;\n        (void)k;\n        (void)b;\n        (void)j;\n"
                "        for (i = 0; i < VALUES; ++i)\n            for (c = 0; c < CASES; ++c) v[i][c] = initial[i];\n"
                "        for (i = 0; i < SENSORS; ++i)\n            for (c = 0; c < CASES; ++c)\n"
                "                v[sensor_receptor[i]][c] = %s(i, in[c * %s_NET_INPUTS + sensor_input[i]]);\n"
                "        for (c = 0; c < CASES; ++c) {\n            best[c] = %s;\n            decided[c] = 0;\n        }\n",
                prefix.c_str(), input.c_str(), value, sum, kLanes, sum, input.c_str(), P.c_str(),
                fixed ? "sensor_q" : "sensor_f", P.c_str(), bestStart.c_str());
    s += batchStages;
    if (actionsRead)
        s += "        for (c = 0; c < CASES; ++c) {\n            int winner = -1;\n"
             "            for (i = 0; i < DECISIONS; ++i)\n                if (v[decision_receptor[i]][c] > best[c]) {\n"
             "                    best[c] = v[decision_receptor[i]][c];\n                    winner = i;\n                }\n"
             "            decisions[done + c] = winner < 0 ? 0 : decision_output[winner];\n        }\n";
    else
        s += "        for (c = 0; c < CASES; ++c) decisions[done + c] = decided[c];\n";
    s += Format("        done += CASES;\n    }\n#endif\n"
                "    for (; done < n; ++done) decisions[done] = %s_net_decide(inputs + done * %s_NET_INPUTS);\n}\n",
                prefix.c_str(), P.c_str());
    out.source = s;
    if (sizes)
        *sizes = Format("%s tables: %zu bytes (weights %zu), %zu bytes of values on the stack", fixed ? "fixed-point" : "float",
                        t.bytes, t.weightBytes, valueBytes * kept);
    return out;
}


}  // namespace ks
