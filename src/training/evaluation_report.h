#pragma once
// How well a trained network decides a set of cases: accuracy, the confusion
// matrix with output names, and per output precision, recall and F1, with
// their macro averages. Every figure is a number (never NaN).
#include <cstdint>
#include <string>
#include <vector>

namespace ks {

class CProject;

// One case: a value for every input of the project (in input-list order) and
// the index of the output that is right for it.
struct TestCase {
    std::string name;
    std::vector<double> values;
    std::int32_t target = -1;
};

struct EvaluationReport {
    std::vector<std::string> outputs;        // names, in output-list order
    // confusion[target][decision]; the last column counts cases no output won.
    std::vector<std::vector<std::int32_t>> confusion;
    std::vector<std::int32_t> decisions;     // per case: the output index decided, -1 for none
    std::int32_t cases = 0, correct = 0;
    double accuracy = 0.0;
    std::vector<double> precision, recall, f1;  // per output; 0 where nothing was decided or due
    double macroPrecision = 0.0, macroRecall = 0.0, macroF1 = 0.0;  // over outputs with a case or a decision
};

// The decision of the network for every case (training winner rule). The
// inputs get their values back afterwards.
EvaluationReport EvaluateCases(CProject& project, const std::vector<TestCase>& cases);

// Fills the totals, accuracy and per-output figures from the outputs and the
// confusion matrix (cases counted from it).
void FinishReport(EvaluationReport& r);

enum class CaseSet { All, Training, HeldOut };
// The project's own scenarios that have a target, as cases: all of them, the
// ones training learns from, or the held-out ones.
std::vector<TestCase> ScenarioCases(const CProject& project, CaseSet which = CaseSet::All);

// Decides cases quickly, for figures taken while training runs: how many are
// right, and the mean squared difference between the outputs and 1 for the
// right output, 0 for the others. Resolved once for the project's network as
// it is; scoring allocates nothing.
class CCaseScorer {
public:
    explicit CCaseScorer(CProject& project);
    struct Score {
        std::int32_t cases = 0, correct = 0;
        double error = 0.0;
        double Accuracy() const { return cases > 0 ? static_cast<double>(correct) / cases : 0.0; }
    };
    // Leaves the inputs as they were.
    Score Run(const std::vector<TestCase>& cases);
    // The output index the network decides for a case, -1 for none (needs a
    // model; leaves the inputs set to the case).
    std::int32_t Decide(const TestCase& c);

private:
    CProject& m_project;
    std::vector<std::pair<std::int32_t, std::int32_t>> m_actions;  // receptor ID -> output index
    std::vector<const class CReceptor*> m_outputAction;            // per output: its action receptor
    std::vector<double> m_kept;
};

}  // namespace ks
