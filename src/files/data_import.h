#pragma once
// Building a project from delimited text: a header line naming the columns,
// then one example case per line. Middle columns become inputs, the last
// names the output, an optional first column names the case.
#include <cstdint>
#include <string>
#include <vector>

namespace ks {

class CProject;
class IPrompt;

class CDataImport {
public:
    static constexpr std::size_t kMaxLine = 4095;   // bytes read per line
    static constexpr std::size_t kMaxFields = 100;  // fields kept per line
    static constexpr std::size_t kMaxField = 31;    // bytes kept per field

    // Reads the file and fills the project, which must have been started for
    // an import (a model and a scenario manager). Returns 0.
    int Import(CProject& project, IPrompt* prompt);
    // The same from bytes already read (tests, fuzzing).
    void ImportBytes(CProject& project, const std::vector<std::uint8_t>& bytes);

    // Fills path, title and extension from a path, and marks the file chosen.
    void Choose(const std::string& path);

    bool m_bFileChosen = false;
    bool m_bScenarioNames = false;  // "First Column Contains Scenario Names"
    std::string m_path;
    std::string m_title;
    std::string m_extension;

private:
    void Finish(CProject& project, bool savedSwitch);
};

// Starts an imported project (a fresh model and scenario manager) and runs
// the import into it. Returns 3.
int NewImportedProject(CProject& project, CDataImport& import, IPrompt* prompt);

}  // namespace ks
