#include "training/evaluation_report.h"

#include "model/project.h"

namespace ks {

namespace {

double Ratio(double a, double b) { return b > 0.0 ? a / b : 0.0; }

}  // namespace

std::vector<TestCase> ScenarioCases(const CProject& p) {
    std::vector<TestCase> cases;
    if (!p.Scenarios()) return cases;
    for (const auto& s : p.Scenarios()->Scenarios()) {
        if (!s->m_pTarget || !s->m_pTarget->m_pOutput) continue;
        TestCase c;
        c.name = s->m_name;
        for (const auto& v : p.m_inputs.m_items) {
            double value = v->m_dValue;
            for (const VARINFO& vi : s->m_inputs)
                if (vi.variableID == v->m_ID) value = vi.value;
            c.values.push_back(value);
        }
        for (std::size_t o = 0; o < p.m_outputs.m_items.size(); ++o)
            if (p.m_outputs.m_items[o].get() == s->m_pTarget->m_pOutput) c.target = static_cast<std::int32_t>(o);
        cases.push_back(std::move(c));
    }
    return cases;
}

EvaluationReport EvaluateCases(CProject& p, const std::vector<TestCase>& cases) {
    EvaluationReport r;
    const std::size_t n = p.m_outputs.m_items.size();
    for (const auto& o : p.m_outputs.m_items) r.outputs.push_back(o->m_name);
    r.confusion.assign(n, std::vector<std::int32_t>(n + 1, 0));
    CReceptorMgr* m = p.Model();
    if (!m) return r;
    std::vector<double> kept;
    for (const auto& v : p.m_inputs.m_items) kept.push_back(v->m_dValue);
    for (const TestCase& c : cases) {
        for (std::size_t i = 0; i < c.values.size() && i < p.m_inputs.m_items.size(); ++i)
            p.m_inputs.m_items[i]->SetValue(c.values[i]);
        m->Evaluate();
        const CReceptor* w = m->FindReceptor(m->WinnerID());
        std::int32_t decision = -1;
        for (std::size_t o = 0; w && o < n; ++o)
            if (p.m_outputs.m_items[o].get() == w->m_pOutput) decision = static_cast<std::int32_t>(o);
        r.decisions.push_back(decision);
        if (c.target < 0 || static_cast<std::size_t>(c.target) >= n) continue;
        ++r.cases;
        if (decision == c.target) ++r.correct;
        ++r.confusion[static_cast<std::size_t>(c.target)][decision < 0 ? n : static_cast<std::size_t>(decision)];
    }
    for (std::size_t i = 0; i < kept.size(); ++i) p.m_inputs.m_items[i]->SetValue(kept[i]);
    m->Evaluate();
    r.accuracy = Ratio(r.correct, r.cases);
    std::int32_t counted = 0;
    for (std::size_t k = 0; k < n; ++k) {
        double due = 0.0, decided = 0.0;
        for (std::size_t j = 0; j <= n; ++j) due += r.confusion[k][j];
        for (std::size_t t = 0; t < n; ++t) decided += r.confusion[t][k];
        const double tp = r.confusion[k][k];
        const double precision = Ratio(tp, decided), recall = Ratio(tp, due);
        r.precision.push_back(precision);
        r.recall.push_back(recall);
        r.f1.push_back(Ratio(2.0 * precision * recall, precision + recall));
        if (due + decided > 0.0) {
            ++counted;
            r.macroPrecision += precision;
            r.macroRecall += recall;
            r.macroF1 += r.f1.back();
        }
    }
    r.macroPrecision = Ratio(r.macroPrecision, counted);
    r.macroRecall = Ratio(r.macroRecall, counted);
    r.macroF1 = Ratio(r.macroF1, counted);
    return r;
}

}  // namespace ks
