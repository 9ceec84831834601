#include "training/evaluation_report.h"

#include "model/project.h"

namespace ks {

namespace {

double Ratio(double a, double b) { return b > 0.0 ? a / b : 0.0; }

}  // namespace

std::vector<TestCase> ScenarioCases(const CProject& p, CaseSet which) {
    std::vector<TestCase> cases;
    if (!p.Scenarios()) return cases;
    for (const auto& s : p.Scenarios()->Scenarios()) {
        if (!s->m_pTarget || !s->m_pTarget->m_pOutput) continue;
        if ((which == CaseSet::Training && s->m_bHeldOut) || (which == CaseSet::HeldOut && !s->m_bHeldOut)) continue;
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

CCaseScorer::CCaseScorer(CProject& p) : m_project(p) {
    const CReceptorMgr* m = p.Model();
    m_outputAction.assign(p.m_outputs.m_items.size(), nullptr);
    if (!m) return;
    for (const CReceptor* a : m->Actions())
        for (std::size_t o = 0; o < p.m_outputs.m_items.size(); ++o)
            if (a->m_pOutput == p.m_outputs.m_items[o].get()) {
                m_actions.emplace_back(a->m_ID, static_cast<std::int32_t>(o));
                if (!m_outputAction[o]) m_outputAction[o] = a;
            }
    m_kept.resize(p.m_inputs.m_items.size());
}

std::int32_t CCaseScorer::Decide(const TestCase& c) {
    auto& inputs = m_project.m_inputs.m_items;
    for (std::size_t i = 0; i < c.values.size() && i < inputs.size(); ++i) inputs[i]->SetValue(c.values[i]);
    CReceptorMgr& m = *m_project.Model();
    m.Evaluate();
    const std::int32_t winner = m.WinnerID();
    for (const auto& [id, output] : m_actions)
        if (id == winner) return output;
    return -1;
}

CCaseScorer::Score CCaseScorer::Run(const std::vector<TestCase>& cases) {
    Score score;
    if (!m_project.Model()) return score;
    auto& inputs = m_project.m_inputs.m_items;
    for (std::size_t i = 0; i < m_kept.size(); ++i) m_kept[i] = inputs[i]->m_dValue;
    double sum = 0.0;
    std::size_t terms = 0;  // outputs with an action receptor
    for (const CReceptor* a : m_outputAction) terms += a ? 1 : 0;
    for (const TestCase& c : cases) {
        const std::int32_t decision = Decide(c);
        if (c.target < 0 || static_cast<std::size_t>(c.target) >= m_outputAction.size()) continue;
        ++score.cases;
        if (decision == c.target) ++score.correct;
        for (std::size_t o = 0; o < m_outputAction.size(); ++o) {
            if (!m_outputAction[o]) continue;
            const double d = m_outputAction[o]->m_dOutput - (static_cast<std::int32_t>(o) == c.target ? 1.0 : 0.0);
            sum += d * d;
        }
    }
    for (std::size_t i = 0; i < m_kept.size(); ++i) inputs[i]->SetValue(m_kept[i]);
    if (score.cases > 0 && terms > 0) score.error = sum / (static_cast<double>(score.cases) * static_cast<double>(terms));
    return score;
}

void FinishReport(EvaluationReport& r) {
    const std::size_t n = r.outputs.size();
    r.cases = r.correct = 0;
    for (std::size_t t = 0; t < n; ++t)
        for (std::size_t d = 0; d <= n; ++d) {
            r.cases += r.confusion[t][d];
            if (t == d) r.correct += r.confusion[t][d];
        }
    r.precision.clear();
    r.recall.clear();
    r.f1.clear();
    r.macroPrecision = r.macroRecall = r.macroF1 = 0.0;
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
}

EvaluationReport EvaluateCases(CProject& p, const std::vector<TestCase>& cases) {
    EvaluationReport r;
    const std::size_t n = p.m_outputs.m_items.size();
    for (const auto& o : p.m_outputs.m_items) r.outputs.push_back(o->m_name);
    r.confusion.assign(n, std::vector<std::int32_t>(n + 1, 0));
    CReceptorMgr* m = p.Model();
    if (!m) {
        FinishReport(r);
        return r;
    }
    std::vector<double> kept;
    for (const auto& v : p.m_inputs.m_items) kept.push_back(v->m_dValue);
    CCaseScorer scorer(p);
    for (const TestCase& c : cases) {
        const std::int32_t decision = scorer.Decide(c);
        r.decisions.push_back(decision);
        if (c.target < 0 || static_cast<std::size_t>(c.target) >= n) continue;
        ++r.confusion[static_cast<std::size_t>(c.target)][decision < 0 ? n : static_cast<std::size_t>(decision)];
    }
    for (std::size_t i = 0; i < kept.size(); ++i) p.m_inputs.m_items[i]->SetValue(kept[i]);
    m->Evaluate();
    FinishReport(r);
    return r;
}

}  // namespace ks
