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
// The project's own scenarios that have a target, as cases.
std::vector<TestCase> ScenarioCases(const CProject& project);

}  // namespace ks
