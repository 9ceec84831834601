// Any bytes given to the data import are parsed into a table or refused with
// a reason; a small accepted table builds a project whose every score is a
// number and which saves without fault. The parser runs on memory, so most
// inputs cost microseconds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "files/byte_io.h"
#include "files/data_import.h"
#include "files/data_table.h"
#include "files/project_file.h"
#include "model/project.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t columns = 0, rows = 0;
    for (bool noHeader : {false, true}) {
        const ks::DataTable table = ks::ParseDataText(data, size, noHeader);
        if (!table.Ok()) {
            if (!table.rows.empty() && table.error.empty()) std::abort();
            continue;
        }
        for (const ks::DataRow& row : table.rows)
            if (row.cells.size() != table.names.size()) std::abort();
        if (!noHeader) {
            columns = table.names.size();
            rows = table.rows.size();
        }
    }
    // Building is dearer (a processor per column, every pair wired): only for tables a person would call small.
    if (columns > 8 || rows > 32) return 0;
    const std::vector<std::uint8_t> bytes(data, data + size);
    {
        // One build per input; the first byte picks the names column and the missing-value rule.
        const bool names = size > 0 && (data[0] & 1);
        ks::CProject project;
        ks::CDataImport import;
        import.m_bScenarioNames = names;
        import.m_missing = names ? ks::MissingValues::Drop : ks::MissingValues::Keep;
        project.NewImportedProject("fuzz", [&](ks::CProject& p) { import.ImportBytes(p, bytes); });
        if (!import.m_report.ok) return 0;
        project.EnsureProcessors();
        project.UpdateNetwork();
        project.Scenarios()->EvaluateAll();
        for (const auto& s : project.Scenarios()->Scenarios())
            if (!std::isfinite(s->m_fScore)) std::abort();
        ks::ByteWriter out;
        ks::WriteProject(out, project, false);
    }
    return 0;
}
