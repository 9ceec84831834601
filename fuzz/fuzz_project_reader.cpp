// Any bytes given to the project reader are refused or loaded; a loaded
// project must evaluate, score and save again without fault.
#include <cstddef>
#include <cstdint>

#include "files/byte_io.h"
#include "files/project_file.h"
#include "model/project.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ks::CProject project;
    ks::ByteReader in(data, size);
    if (!ks::ReadProject(in, project)) return 0;
    project.NewProject(ks::kProjectLoaded);
    project.UpdateNetwork();
    if (project.Scenarios()) {
        project.Scenarios()->EvaluateAll();
        project.Scenarios()->ScoreAll();
    }
    ks::ByteWriter out;
    ks::WriteProject(out, project, false);
    ks::WriteProject(out, project, true);
    return 0;
}
