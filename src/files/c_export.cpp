#include "files/c_export.h"

#include <algorithm>
#include <set>
#include <cctype>
#include <cmath>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "model/eval_plan.h"
#include "model/project.h"
#include "model/text.h"
#include "sum_block_text.h"

namespace ks {

namespace {

constexpr int kLanes = 16;


// Joins values as an initialiser list, ten to a line.
template <class T, class F>
std::string List(const std::vector<T>& values, F spell) {
    if (values.empty()) return "{0}";
    std::string out = "{";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i % 10 == 0) out += "\n    ";
        out += spell(values[i]);
        if (i + 1 < values.size()) out += ", ";
    }
    return out + "\n}";
}

std::string IntSpell(int v) { return std::to_string(v); }

struct Layout {
    std::vector<int> kind, code, bit, linear, variable, type, items, hasOutput, outputId;
    std::vector<double> threshold, bias, initial, minimum, maximum;
    std::vector<int> sensors, processors, actions;
    std::vector<int> linkStart, linkSender;
    std::vector<double> linkWeight;
    bool layered = true;
    // Blocks of receivers with equal link counts.
    std::vector<int> blockFirstStep, blockSteps, blockLanes, blockReceiver;
    int processorBlocks = 0;
    std::vector<int> stepSource, stepUniform;
    std::vector<double> stepWeight;
};

void AddBlocks(Layout& l, const std::vector<int>& stage) {
    std::vector<int> order(stage.size());
    std::iota(order.begin(), order.end(), 0);
    auto links = [&](int r) { return l.linkStart[static_cast<std::size_t>(r) + 1] - l.linkStart[static_cast<std::size_t>(r)]; };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return links(stage[static_cast<std::size_t>(a)]) < links(stage[static_cast<std::size_t>(b)]);
    });
    int current = -1;
    for (int pos : order) {
        const int r = stage[static_cast<std::size_t>(pos)];
        const int count = links(r);
        if (current < 0 || l.blockLanes[static_cast<std::size_t>(current)] == kLanes ||
            l.blockSteps[static_cast<std::size_t>(current)] != count) {
            current = static_cast<int>(l.blockSteps.size());
            l.blockFirstStep.push_back(static_cast<int>(l.stepUniform.size()));
            l.blockSteps.push_back(count);
            l.blockLanes.push_back(0);
            l.blockReceiver.insert(l.blockReceiver.end(), kLanes, 0);
            l.stepSource.insert(l.stepSource.end(), static_cast<std::size_t>(count) * kLanes, 0);
            l.stepWeight.insert(l.stepWeight.end(), static_cast<std::size_t>(count) * kLanes, 0.0);
            l.stepUniform.insert(l.stepUniform.end(), static_cast<std::size_t>(count), 1);
        }
        const auto c = static_cast<std::size_t>(current);
        const int lane = l.blockLanes[c]++;
        l.blockReceiver[c * kLanes + static_cast<std::size_t>(lane)] = r;
        for (int k = 0; k < count; ++k) {
            const std::size_t step = static_cast<std::size_t>(l.blockFirstStep[c] + k);
            const std::size_t at = step * kLanes + static_cast<std::size_t>(lane);
            const auto link = static_cast<std::size_t>(l.linkStart[static_cast<std::size_t>(r)] + k);
            l.stepSource[at] = l.linkSender[link] + 1;
            l.stepWeight[at] = l.linkWeight[link];
            if (lane > 0 && l.stepSource[at] != l.stepSource[step * kLanes]) l.stepUniform[step] = 0;
        }
    }
}

Layout Build(const CProject& p) {
    Layout l;
    const CReceptorMgr& m = *p.Model();
    FlatNetwork f;
    BuildFlatNetwork(m, f);
    const std::size_t n = f.receptors.size();
    std::unordered_map<const CVariable*, int> inputIndex;
    for (std::size_t i = 0; i < p.m_inputs.m_items.size(); ++i) inputIndex[p.m_inputs.m_items[i].get()] = static_cast<int>(i);
    for (const CReceptor* r : f.receptors) {
        l.kind.push_back(r->m_iKind);
        l.code.push_back(r->m_iActivation);
        l.bit.push_back(static_cast<int>(static_cast<unsigned>(r->m_iBitIndex) % 32u));
        l.linear.push_back(r->m_bLinearOutput ? 1 : 0);
        l.threshold.push_back(r->m_dThreshold);
        l.bias.push_back(r->m_dBiasValue);
        l.initial.push_back(r->m_dOutput);
        const CVariable* v = r->m_pVariable;
        const auto found = v ? inputIndex.find(v) : inputIndex.end();
        l.variable.push_back(found == inputIndex.end() ? -1 : found->second);
        l.type.push_back(v ? v->m_iType : 0);
        l.items.push_back(v ? v->ItemCount() : 0);
        l.minimum.push_back(v ? v->m_dMin : 0.0);
        // The range as the trainer keeps it (maximum − minimum when last set).
        l.maximum.push_back(v ? v->m_dRange : 0.0);
        l.hasOutput.push_back(r->m_pOutput ? 1 : 0);
        l.outputId.push_back(r->m_pOutput ? r->m_pOutput->m_ID : 0);
    }
    l.sensors.assign(f.sensors.begin(), f.sensors.end());
    l.processors.assign(f.processors.begin(), f.processors.end());
    l.actions.assign(f.actions.begin(), f.actions.end());
    l.linkStart.assign(f.inStart.begin(), f.inStart.end());
    l.linkSender.assign(f.inSender.begin(), f.inSender.end());
    for (const std::int32_t c : f.inConnection) l.linkWeight.push_back(f.connections[static_cast<std::size_t>(c)]->Weight());
    std::vector<int> stage(n, 0);
    for (int r : l.processors) stage[static_cast<std::size_t>(r)] = 2;
    for (int r : l.actions) stage[static_cast<std::size_t>(r)] = 3;
    for (std::size_t r = 0; r < n; ++r) {
        if (!stage[r]) continue;
        for (int k = l.linkStart[r]; k < l.linkStart[r + 1]; ++k)
            if (stage[static_cast<std::size_t>(l.linkSender[static_cast<std::size_t>(k)])] >= stage[r]) l.layered = false;
    }
    if (l.layered) {
        AddBlocks(l, l.processors);
        l.processorBlocks = static_cast<int>(l.blockSteps.size());
        AddBlocks(l, l.actions);
    }
    return l;
}

}  // namespace

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string CDoubleLiteral(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INFINITY" : "-INFINITY";
    return Format("%a", v);
}

std::string CStringLiteral(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += Format("\\%03o", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

namespace {

// A name inside a comment: "*/" would end it early.
std::string CommentText(std::string text) {
    for (std::size_t at; (at = text.find("*/")) != std::string::npos;) text.replace(at, 2, "* /");
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return text;
}

}  // namespace

std::vector<std::string> CIdentifierParts(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    std::set<std::string> taken;
    for (const std::string& name : names) {
        std::string id;
        for (unsigned char c : name) id += std::isalnum(c) || c == '_' ? static_cast<char>(c) : '_';
        if (id.empty()) id = "UNNAMED";
        if (std::isdigit(static_cast<unsigned char>(id[0]))) id = "N" + id;  // a part may also stand alone
        std::string unique = id;
        for (int k = 2; taken.count(unique); ++k) unique = id + "_" + std::to_string(k);
        taken.insert(unique);
        out.push_back(unique);
    }
    return out;
}

bool IsValidCPrefix(const std::string& prefix) {
    if (prefix.empty() || std::isdigit(static_cast<unsigned char>(prefix[0]))) return false;
    return std::all_of(prefix.begin(), prefix.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

CSource GenerateCHeaderOnly(const CProject& p, const std::string& prefix, const char* inputType, const std::string& inputNote) {
    CSource out;
    out.headerName = prefix + "_net.h";
    out.sourceName = prefix + "_net.c";
    const std::string guard = Upper(prefix) + "_NET_H";
    const std::string fn = prefix + "_net_decide";
    const std::string PREFIX = Upper(prefix);
    std::vector<std::string> inputNames, outputNames;
    for (const auto& v : p.m_inputs.m_items) inputNames.push_back(v->m_name);
    for (const auto& o : p.m_outputs.m_items) outputNames.push_back(o->m_name);
    const std::vector<std::string> inputIds = CIdentifierParts(inputNames), outputIds = CIdentifierParts(outputNames);
    std::string h = Format("/* %s: the network of \"%s\", exported by Kestrine. */\n"
                           "#ifndef %s\n#define %s\n\n#include <stddef.h>\n#include <stdint.h>\n\n"
                           "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n",
                           out.headerName.c_str(), CommentText(p.m_name).c_str(), guard.c_str(), guard.c_str());
    h += Format("/* Number of input values %s takes. */\n#define %s_NET_INPUTS %d\n\n", fn.c_str(), PREFIX.c_str(),
                p.m_inputs.Count());
    h += "/* Where each input goes in the array, by name (the names as typed in the comments). */\n";
    for (std::size_t i = 0; i < inputIds.size(); ++i)
        h += Format("#define %s_INPUT_%s %zu /* %s */\n", PREFIX.c_str(), inputIds[i].c_str(), i,
                    CommentText(inputNames[i]).c_str());
    h += "\n/* The outputs' IDs, which the decision returns. */\n";
    for (std::size_t i = 0; i < outputIds.size(); ++i)
        h += Format("#define %s_OUTPUT_%s ((int32_t)%d) /* %s */\n", PREFIX.c_str(), outputIds[i].c_str(),
                    p.m_outputs.m_items[i]->m_ID, CommentText(outputNames[i]).c_str());
    if (!inputNote.empty()) h += "\n" + inputNote;
    h += Format("\n/* The winning output's ID (a %s_OUTPUT_ constant), 0 when none. */\n"
                "int32_t %s(const %s *inputs);\n\n"
                "/* Decides n cases: inputs holds n rows of %s_NET_INPUTS values, decisions\n"
                "   receives n output IDs, each exactly the one %s gives for its row. */\n"
                "void %s_batch(const %s *inputs, size_t n, int32_t *decisions);\n\n"
                "/* An output's name as typed in Kestrine; NULL for an ID that is no output. */\n"
                "const char *%s_net_output_name(int32_t id);\n\n"
                "#ifdef __cplusplus\n}\n#endif\n\n#endif\n",
                PREFIX.c_str(), fn.c_str(), inputType, PREFIX.c_str(), fn.c_str(), fn.c_str(), inputType, prefix.c_str());
    out.header = h;
    return out;
}

CSource GenerateCSource(const CProject& p, const std::string& prefix) {
    CSource out = GenerateCHeaderOnly(p, prefix, "double");
    const std::string fn = prefix + "_net_decide";

    if (!p.Model()) return out;  // nothing to decide with
    const Layout l = Build(p);
    const std::size_t n = l.kind.size();
    std::string s;
    s += Format("/* %s: the network of \"%s\", exported by Kestrine.\n", out.sourceName.c_str(), p.m_name.c_str());
    s += " * Sums run receiver by receiver in the trainer's order and nothing may be\n"
         " * fused into a multiply-add, so the results match the trainer bit for bit. */\n";
    s += "#include \"" + out.headerName + "\"\n\n#include <math.h>\n#include <string.h>\n\n";
    s += "/* No multiply-add may be fused (compile without clang's -ffp-contract=fast). */\n";
    s += "#if defined(__clang__)\n#pragma clang fp contract(off)\n#elif defined(__GNUC__)\n"
         "#pragma GCC optimize(\"fp-contract=off\")\n#endif\n\n";
    s += std::string(kKernelText) + "\n";
    s += Format("#define RECEPTORS %zu\n#define LANES %d\n\n", n, kLanes);
    auto arr = [&](const char* type, const char* name, const std::string& list, std::size_t size) {
        s += Format("static const %s %s[%zu] = %s;\n", type, name, std::max<std::size_t>(size, 1), list.c_str());
    };
    arr("signed char", "kind", List(l.kind, IntSpell), n);
    arr("int", "code", List(l.code, IntSpell), n);
    arr("int", "bit", List(l.bit, IntSpell), n);
    arr("signed char", "linear", List(l.linear, IntSpell), n);
    arr("double", "threshold", List(l.threshold, CDoubleLiteral), n);
    arr("double", "bias", List(l.bias, CDoubleLiteral), n);
    arr("double", "initial", List(l.initial, CDoubleLiteral), n);
    arr("int", "input", List(l.variable, IntSpell), n);
    arr("int", "type", List(l.type, IntSpell), n);
    arr("int", "items", List(l.items, IntSpell), n);
    arr("double", "minimum", List(l.minimum, CDoubleLiteral), n);
    arr("double", "range", List(l.maximum, CDoubleLiteral), n);
    arr("int32_t", "output_id", List(l.outputId, IntSpell), n);
    arr("signed char", "has_output", List(l.hasOutput, IntSpell), n);
    arr("int", "sensors", List(l.sensors, IntSpell), l.sensors.size());
    arr("int", "actions", List(l.actions, IntSpell), l.actions.size());
    s += Format("#define SENSORS %zu\n#define ACTIONS %zu\n\n", l.sensors.size(), l.actions.size());
    if (l.layered) {
        arr("int", "block_first_step", List(l.blockFirstStep, IntSpell), l.blockFirstStep.size());
        arr("int", "block_steps", List(l.blockSteps, IntSpell), l.blockSteps.size());
        arr("int", "block_lanes", List(l.blockLanes, IntSpell), l.blockLanes.size());
        arr("int", "block_receiver", List(l.blockReceiver, IntSpell), l.blockReceiver.size());
        arr("int", "step_source", List(l.stepSource, IntSpell), l.stepSource.size());
        arr("double", "step_weight", List(l.stepWeight, CDoubleLiteral), l.stepWeight.size());
        arr("unsigned char", "step_uniform", List(l.stepUniform, IntSpell), l.stepUniform.size());
        s += Format("#define BLOCKS %zu\n\n", l.blockSteps.size());
    } else {
        arr("int", "link_start", List(l.linkStart, IntSpell), l.linkStart.size());
        arr("int", "link_sender", List(l.linkSender, IntSpell), l.linkSender.size());
        arr("double", "link_weight", List(l.linkWeight, CDoubleLiteral), l.linkWeight.size());
        arr("int", "processors", List(l.processors, IntSpell), l.processors.size());
        s += Format("#define PROCESSORS %zu\n\n", l.processors.size());
    }
    if (l.layered) s += std::string(kSumBlockText) + "\n";
    s += R"C(static double sensor_value(int r, double x) {
    return ksr_sensor_output(type[r], items[r], minimum[r], ksr_sensor_scale(type[r], items[r], range[r]), x);
}

static double activate(int r, double net) {
    if (kind[r] == KSR_KIND_ACTION) return ksr_action_output(linear[r], net);
    return ksr_processor_output(code[r], net, threshold[r], bit[r]);
}

)C";
    s += "const char *" + prefix + "_net_output_name(int32_t id) {\n    switch (id) {\n";
    for (const auto& o : p.m_outputs.m_items)
        s += Format("    case %d: return %s;\n", o->m_ID, CStringLiteral(o->m_name).c_str());
    s += "    default: return 0;\n    }\n}\n\n";
    s += "int32_t " + fn + "(const double *inputs) {\n";
    s += R"C(    double out[RECEPTORS + 1];
    double best = -1.0;
    int i, winner = -1;
    for (i = 0; i < RECEPTORS; ++i) out[i] = initial[i];
    for (i = 0; i < SENSORS; ++i) {
        const int r = sensors[i];
        if (input[r] >= 0) out[r] = sensor_value(r, inputs[input[r]]);
    }
)C";
    if (l.layered) {
        s += R"C(    {
    /* What each receptor sends: 0 is the constant 0, receptor r is at r + 1. */
    double values[RECEPTORS + 1];
    values[0] = 0.0;
    for (i = 0; i < RECEPTORS; ++i) values[i + 1] = kind[i] == 3 ? bias[i] : out[i];
    for (i = 0; i < BLOCKS; ++i) {
        double acc[LANES];
        int lane;
        sum_block(values, step_source + block_first_step[i] * LANES, step_weight + block_first_step[i] * LANES,
                  step_uniform + block_first_step[i], block_steps[i], acc);
        for (lane = 0; lane < block_lanes[i]; ++lane) {
            const int r = block_receiver[i * LANES + lane];
            out[r] = activate(r, acc[lane]);
            values[r + 1] = kind[r] == 3 ? bias[r] : out[r];
        }
    }
    }
)C";
    } else {
        s += R"C(    {
        /* Hand-wired stages: receptor by receptor, each reading the values as they stand. */
        int stage;
        for (stage = 0; stage < 2; ++stage) {
            const int *list = stage == 0 ? processors : actions;
            const int count = stage == 0 ? PROCESSORS : ACTIONS;
            for (i = 0; i < count; ++i) {
                const int r = list[i];
                double sum = 0.0;
                int k;
                for (k = link_start[r]; k < link_start[r + 1]; ++k) {
                    const int from = link_sender[k];
                    const double product = (kind[from] == 3 ? bias[from] : out[from]) * link_weight[k];
                    sum += product;
                }
                out[r] = activate(r, sum);
            }
        }
    }
)C";
    }
    s += R"C(    for (i = 0; i < ACTIONS; ++i) {
        const int r = actions[i];
        if (has_output[r] && out[r] > best) {
            best = out[r];
            winner = r;
        }
    }
    return winner < 0 ? 0 : output_id[winner];
}
)C";
    // Its single decision is already vectorised across receivers: the batch decides one case after another.
    s += Format("\nvoid %s_batch(const double *inputs, size_t n, int32_t *decisions) {\n"
                "    size_t c;\n    for (c = 0; c < n; ++c) decisions[c] = %s(inputs + c * %s_NET_INPUTS);\n}\n",
                fn.c_str(), fn.c_str(), Upper(prefix).c_str());
    out.source = s;
    return out;
}

FileResult WriteCSource(const std::string& folder, const CProject& project, const std::string& prefix) {
    if (!IsValidCPrefix(prefix))
        return {false, "the C prefix \"" + prefix + "\" is not a C identifier (letters, digits and _)", {}};
    const CSource c = GenerateCSource(project, prefix);
    const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    FileResult r = WriteFileAtomically(dir + c.headerName, c.header);
    if (!r.ok) return r;
    return WriteFileAtomically(dir + c.sourceName, c.source);
}

}  // namespace ks
