#include "files/export_verify.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "model/project.h"
#include "model/text.h"

namespace ks {

namespace {

// The trainer's decision and action values for the inputs as they stand.
std::int32_t TrainerDecision(CReceptorMgr& m, std::vector<double>& values) {
    m.Evaluate();
    values.clear();
    for (const CReceptor* a : m.Actions()) values.push_back(a->m_dOutput);
    const CReceptor* winner = m.DisplayWinner();
    return winner ? winner->m_pOutput->m_ID : 0;
}

// An input's ends and middle as the user can set it.
void Span(const CVariable& v, double& low, double& high) {
    if (v.m_iType == kBoolean) {
        low = 0.0;
        high = 1.0;
    } else if (v.m_iType == kDescriptorList) {
        low = 0.0;
        high = std::max(0, v.ItemCount() - 1);
    } else {
        low = v.m_dMin;
        high = v.m_dMax;
    }
}

}  // namespace

ExportCheck VerifyExport(CProject& p, const SmallNet& net, std::uint64_t seed, std::int64_t randomCases) {
    ExportCheck check;
    CReceptorMgr* m = p.Model();
    if (!m) return check;
    const std::size_t n = p.m_inputs.m_items.size();
    std::vector<double> kept, row(n), trainer, exported;
    for (const auto& v : p.m_inputs.m_items) kept.push_back(v->m_dValue);

    // Decides the inputs as set; the emulation gets the values the inputs took.
    auto decide = [&](ExportCheck::Tally& tally, const std::string* scenario) {
        for (std::size_t i = 0; i < n; ++i) row[i] = p.m_inputs.m_items[i]->m_dValue;
        const std::int32_t a = TrainerDecision(*m, trainer);
        const std::int32_t b = EmulateSmallNet(net, row.data(), &exported);
        ++tally.cases;
        const bool same = a == b;
        tally.agreeing += same;
        bool identical = trainer.size() == exported.size();
        for (std::size_t k = 0; k < trainer.size() && k < exported.size(); ++k) {
            identical = identical && (trainer[k] == exported[k] || (std::isnan(trainer[k]) && std::isnan(exported[k])));
            const double d = std::fabs(trainer[k] - exported[k]);
            if (std::isfinite(d)) check.largestDifference = std::max(check.largestDifference, d);
        }
        check.differentValues += !identical;
        if (scenario && !same && check.disagreeing.size() < 20) check.disagreeing.push_back(*scenario);
    };
    auto set = [&](const std::vector<double>& values) {
        for (std::size_t i = 0; i < n; ++i) p.m_inputs.m_items[i]->SetValue(values[i]);
    };

    if (CScenarioMgr* sm = p.Scenarios())
        for (const auto& s : sm->Scenarios()) {
            sm->ApplyScenario(s.get());
            decide(check.scenarios, &s->m_name);
        }

    // Corners and midpoints: every combination of low, middle and high while
    // that stays small, else every input's ends with the others in the middle.
    std::vector<double> low(n), high(n), mid(n);
    for (std::size_t i = 0; i < n; ++i) {
        Span(*p.m_inputs.m_items[i], low[i], high[i]);
        mid[i] = low[i] + (high[i] - low[i]) / 2.0;
    }
    check.fullGrid = n <= 10;
    if (check.fullGrid) {
        std::int64_t total = 1;
        for (std::size_t i = 0; i < n; ++i) total *= 3;
        std::vector<double> point(n);
        for (std::int64_t c = 0; c < total; ++c) {
            std::int64_t k = c;
            for (std::size_t i = 0; i < n; ++i, k /= 3) point[i] = k % 3 == 0 ? low[i] : k % 3 == 1 ? mid[i] : high[i];
            set(point);
            decide(check.grid, nullptr);
        }
    } else {
        for (const auto* all : {&low, &mid, &high}) {
            set(*all);
            decide(check.grid, nullptr);
        }
        for (std::size_t i = 0; i < n; ++i)
            for (const auto* end : {&low, &high}) {
                std::vector<double> point = mid;
                point[i] = (*end)[i];
                set(point);
                decide(check.grid, nullptr);
            }
    }

    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> point(n);
    for (std::int64_t c = 0; c < randomCases; ++c) {
        for (std::size_t i = 0; i < n; ++i) {
            const double u = unit(random);
            const CVariable& v = *p.m_inputs.m_items[i];
            point[i] = v.m_iType == kBoolean ? (u < 0.5 ? 0.0 : 1.0)
                       : v.m_iType == kDescriptorList ? std::floor(u * v.ItemCount())
                                                      : low[i] + (high[i] - low[i]) * u;
        }
        set(point);
        decide(check.random, nullptr);
    }
    set(kept);
    m->Evaluate();
    return check;
}

const char* NumberTypeName(CNumberType type) {
    return type == CNumberType::Float ? "float" : type == CNumberType::Fixed ? "fixed" : "double";
}

std::vector<std::string> DescribeExportCheck(const ExportCheck& c, CNumberType type) {
    const std::string head = Format("verify (%s): ", NumberTypeName(type));
    auto tally = [](const ExportCheck::Tally& t) {
        return Format("%lld of %lld", static_cast<long long>(t.agreeing), static_cast<long long>(t.cases));
    };
    std::vector<std::string> lines;
    lines.push_back(head + "decided as the trainer decides: " + tally(c.scenarios) + " scenarios, " + tally(c.grid) +
                    (c.fullGrid ? " corners and midpoints, " : " ends and middles of the inputs, ") + tally(c.random) +
                    " random inputs in range");
    const std::int64_t all = c.scenarios.cases + c.grid.cases + c.random.cases;
    if (type == CNumberType::Double)
        lines.push_back(head + (c.differentValues == 0
                                    ? std::string("every action value of every case is the trainer's, bit for bit")
                                    : Format("%lld of %lld cases have action values that are not the trainer's bit for bit",
                                             static_cast<long long>(c.differentValues), static_cast<long long>(all))));
    else
        lines.push_back(head + Format("largest difference in an action's value: %.3g", c.largestDifference));
    if (!c.disagreeing.empty()) {
        std::string list;
        for (const std::string& name : c.disagreeing) list += (list.empty() ? "\"" : ", \"") + name + "\"";
        const std::int64_t more = c.scenarios.cases - c.scenarios.agreeing - static_cast<std::int64_t>(c.disagreeing.size());
        if (more > 0) list += Format(" and %lld more", static_cast<long long>(more));
        lines.push_back(head + "scenarios decided differently: " + list);
    }
    return lines;
}

CheckedCSource MakeCheckedCSource(CProject& p, CNumberType type, const std::string& prefix, bool verify, bool fixedInput) {
    CheckedCSource out;
    if (type == CNumberType::Double && !verify) {  // nothing to lay out: the double export is the trainer's own
        out.source = GenerateCSource(p, prefix);
        return out;
    }
    const SmallNet net = BuildSmallNet(p, type, out.refusal, fixedInput);
    if (!out.refusal.empty()) return out;
    if (verify) {
        out.checked = true;
        out.check = VerifyExport(p, net, 1, 100000);
        out.lines = DescribeExportCheck(out.check, type);
        out.agrees = out.check.scenarios.agreeing == out.check.scenarios.cases;
    }
    out.source = type == CNumberType::Double ? GenerateCSource(p, prefix) : GenerateSmallCSource(p, net, prefix, &out.sizes);
    return out;
}

}  // namespace ks
