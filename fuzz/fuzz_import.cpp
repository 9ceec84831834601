// Any bytes given to the data import build a project or nothing; the result
// must evaluate and save without fault.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/byte_io.h"
#include "files/data_import.h"
#include "files/project_file.h"
#include "model/project.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    for (bool names : {false, true}) {
        ks::CProject project;
        ks::CDataImport import;
        import.m_bScenarioNames = names;
        import.m_title = "fuzz";
        project.NewImportedProject("fuzz", [&](ks::CProject& p) { import.ImportBytes(p, bytes); });
        project.EnsureProcessors();
        project.UpdateNetwork();
        project.Scenarios()->EvaluateAll();
        ks::ByteWriter out;
        ks::WriteProject(out, project, false);
    }
    return 0;
}
