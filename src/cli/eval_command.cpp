// kestrine-cli eval: how well the network decides its own scenarios or the
// cases of a data file, as figures people and scripts can read.
#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "files/test_data.h"
#include "model/project.h"
#include "model/text.h"
#include "training/evaluation_report.h"

namespace ks::cli {

namespace {

std::string JsonList(const std::vector<double>& v) {
    std::string s = "[";
    for (std::size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + JsonNumber(v[i]);
    return s + "]";
}

}  // namespace

std::string ReportJson(const EvaluationReport& r) {
    std::string names = "[", confusion = "[";
    for (std::size_t i = 0; i < r.outputs.size(); ++i) names += (i ? ", " : "") + JsonString(r.outputs[i]);
    for (std::size_t t = 0; t < r.confusion.size(); ++t) {
        confusion += t ? ", [" : "[";
        for (std::size_t d = 0; d < r.confusion[t].size(); ++d) confusion += (d ? ", " : "") + std::to_string(r.confusion[t][d]);
        confusion += "]";
    }
    return Format("{\"cases\": %d, \"correct\": %d, \"accuracy\": %s, \"outputs\": %s], \"confusion\": %s], "
                  "\"precision\": %s, \"recall\": %s, \"f1\": %s, \"macro_precision\": %s, \"macro_recall\": %s, "
                  "\"macro_f1\": %s}",
                  r.cases, r.correct, JsonNumber(r.accuracy).c_str(), names.c_str(), confusion.c_str(),
                  JsonList(r.precision).c_str(), JsonList(r.recall).c_str(), JsonList(r.f1).c_str(),
                  JsonNumber(r.macroPrecision).c_str(), JsonNumber(r.macroRecall).c_str(), JsonNumber(r.macroF1).c_str());
}

namespace {

void PrintJson(const EvaluationReport& r, const TestData* data) {
    std::string json = ReportJson(r);
    json.pop_back();  // the closing brace: the test file's counts go inside
    std::printf("%s, \"unknown_targets\": %d, \"left_out\": %d}\n", json.c_str(), data ? data->unknownTargets : 0,
                data ? data->leftOut : 0);
}

}  // namespace

void PrintReport(const EvaluationReport& r) {
    std::printf("cases=%d correct=%d accuracy=%.4f\n", r.cases, r.correct, r.accuracy);
    std::size_t width = 6;
    for (const std::string& n : r.outputs) width = std::max(width, n.size());
    std::printf("confusion (rows: the right output, columns: the decision):\n%*s", static_cast<int>(width), "");
    for (const std::string& n : r.outputs) std::printf(" %*s", static_cast<int>(width), n.c_str());
    std::printf(" %*s\n", static_cast<int>(width), "(none)");
    for (std::size_t t = 0; t < r.confusion.size(); ++t) {
        std::printf("%*s", static_cast<int>(width), r.outputs[t].c_str());
        for (std::int32_t n : r.confusion[t]) std::printf(" %*d", static_cast<int>(width), n);
        std::printf("\n");
    }
    for (std::size_t k = 0; k < r.outputs.size(); ++k)
        std::printf("output \"%s\": precision=%.4f recall=%.4f f1=%.4f\n", r.outputs[k].c_str(), r.precision[k],
                    r.recall[k], r.f1[k]);
    std::printf("macro: precision=%.4f recall=%.4f f1=%.4f\n", r.macroPrecision, r.macroRecall, r.macroF1);
}

int Eval(const EvalOptions& o) {
    CProject p;
    int code = kOk;
    if (!Load(o.file, p, code)) return code;
    if (!p.Model() || p.m_outputs.Count() == 0) return Fail("evaluating " + o.file, "the project has no outputs");
    TestData data;
    std::vector<TestCase> cases;
    if (!o.data.empty()) {
        data = ReadTestData(o.data, p);
        if (!data.error.empty()) {
            std::fprintf(stderr, "kestrine-cli: %s\n", data.error.c_str());
            return kFailed;
        }
        for (const std::string& note : data.notes) std::fprintf(stderr, "kestrine-cli: note: %s\n", note.c_str());
        if (data.cases.empty()) return Fail("evaluating " + o.data, "no case is left to test");
        cases = data.cases;
    } else {
        CScenarioMgr& sm = *p.Scenarios();
        sm.EvaluateAll();
        if (!o.json) {
            if (o.verbose) {
                for (const auto& s : sm.Scenarios()) {
                    const COutput* target = s->m_pTarget ? s->m_pTarget->m_pOutput : nullptr;
                    std::printf("%s\t%s\t%s\t%.3f\n", s->m_name.c_str(), target ? target->m_name.c_str() : "",
                                s->m_pWinnerOutput ? s->m_pWinnerOutput->m_name.c_str() : "",
                                static_cast<double>(s->m_fScore));
                }
            }
            std::printf("learned=%d scenarios=%d\n", sm.m_iLearnedCount, sm.Count());
        }
        cases = ScenarioCases(p);
    }
    const EvaluationReport r = EvaluateCases(p, cases);
    if (o.verbose && !o.data.empty() && !o.json)
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const std::int32_t d = r.decisions[i], t = cases[i].target;
            std::printf("%s\t%s\t%s\n", cases[i].name.c_str(), t >= 0 ? r.outputs[static_cast<std::size_t>(t)].c_str() : "?",
                        d >= 0 ? r.outputs[static_cast<std::size_t>(d)].c_str() : "");
        }
    if (o.json)
        PrintJson(r, o.data.empty() ? nullptr : &data);
    else
        PrintReport(r);
    return kOk;
}

}  // namespace ks::cli
