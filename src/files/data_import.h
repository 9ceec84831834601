#pragma once
// Building a project from delimited text: a header line naming the columns,
// then one example case per line. Middle columns become inputs, the last
// names the output, an optional first column names the case.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ks {

class CProject;
class IPrompt;
struct DataTable;

// What to do with a row that has a missing value.
enum class MissingValues : std::int32_t {
    Keep = 0,    // a missing number is 0, a missing text is a category, a short row keeps the previous row's texts
    Drop = 1,    // the row is left out
    Refuse = 2,  // the import is refused, naming the row and the column
};

// What an import read, built and noticed, for the summary.
struct ImportReport {
    struct Column {
        std::string name;
        bool descriptor = false;
        std::string why;  // for a Descriptor List: which text made it one
        std::int32_t missing = 0;
    };
    bool ok = true;
    std::string error;  // the file was refused: what and where
    std::int32_t rowsRead = 0, rowsLeftOut = 0, targetMissing = 0;
    std::vector<Column> columns;  // the input columns, in order
    std::vector<std::string> warnings;
};

class CDataImport {
public:
    // Reads the file and fills the project, which must have been started for
    // an import (a model and a scenario manager). Returns 0, or 1 when the
    // file is refused (m_report.error says why; the project gets nothing).
    int Import(CProject& project, IPrompt* prompt);
    // The same from bytes already read (tests, fuzzing).
    int ImportBytes(CProject& project, const std::vector<std::uint8_t>& bytes);
    // The same from rows already split (the folds of a cross-validation).
    int ImportTable(CProject& project, const DataTable& table);

    // Fills path, title and extension from a path, and marks the file chosen.
    void Choose(const std::string& path);

    bool m_bFileChosen = false;
    bool m_bScenarioNames = false;  // "First Column Contains Scenario Names"
    bool m_bNoHeader = false;       // the first row is data; the columns are named "Column 1", ...
    MissingValues m_missing = MissingValues::Keep;
    ImportReport m_report;          // of the last import
    // When set, Import builds from these rows instead of reading the file.
    std::shared_ptr<const DataTable> m_table;
    std::string m_path;
    std::string m_title;
    std::string m_extension;

private:
    void Finish(CProject& project, bool savedSwitch);
};

// The summary of the last import: rows, columns with their types and missing
// values, outputs with their case counts, warnings. One line per item.
std::vector<std::string> ImportSummary(const CDataImport& import, const CProject& project);

// Starts an imported project (a fresh model and scenario manager) and runs
// the import into it. Returns 3.
int NewImportedProject(CProject& project, CDataImport& import, IPrompt* prompt);

}  // namespace ks
