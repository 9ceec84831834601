#pragma once
// Running the C a network is exported as: rows of input values for it, and the
// generated files compiled with a driver that reads the rows and prints one
// decision per line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "files/c_export.h"
#include "model/project.h"
#include "model/random.h"
#include "support/temp_dir.h"

namespace ks::test {

// Every scenario's applied input values, then `randomCases` random rows: each
// input at min + span * (u * scale) - shift * span, u in [0, 1] from the
// process-wide generator (scale > 1 reaches a little beyond the range).
inline std::vector<std::vector<double>> InputRows(CProject& p, int randomCases, double scale, double shift) {
    std::vector<std::vector<double>> rows;
    for (const auto& s : p.Scenarios()->Scenarios()) {
        p.Scenarios()->ApplyScenario(s.get());
        std::vector<double> row;
        for (const auto& v : p.m_inputs.m_items) row.push_back(v->m_dValue);
        rows.push_back(row);
    }
    for (int i = 0; i < randomCases; ++i) {
        std::vector<double> row;
        for (const auto& v : p.m_inputs.m_items) {
            const double span = v->m_iType == kDescriptorList ? v->ItemCount() : v->m_dMax - v->m_dMin;
            row.push_back((v->m_iType == kDescriptorList ? 0.0 : v->m_dMin) + span * (NextRandom() / 32767.0) * scale - shift * span);
        }
        rows.push_back(row);
    }
    return rows;
}

// Compiles the generated files with `driver` (C99, every warning an error),
// feeds it the rows (all digits) and reads back one integer per line.
inline std::vector<int> CompiledDecisions(const CSource& c, const std::string& driver,
                                          const std::vector<std::vector<double>>& rows, const std::string& extraFlags) {
    TempDir dir;
    dir.Write(c.headerName, c.header);
    dir.Write(c.sourceName, c.source);
    dir.Write("driver.c", driver);
    std::string input;
    for (const auto& row : rows) {
        for (double v : row) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.17g ", v);
            input += buf;
        }
        input += "\n";
    }
    dir.Write("cases.txt", input);
    const std::string compile = "cc -std=c99 -pedantic -Wall -Wextra -Werror -O2 -o " + dir.File("decide") + " " +
                                dir.File(c.sourceName) + " " + dir.File("driver.c") + " " + extraFlags + " 2>" +
                                dir.File("cc.txt");
    EXPECT_EQ(std::system(compile.c_str()), 0) << ReadAll(dir.File("cc.txt"));
    std::system((dir.File("decide") + " < " + dir.File("cases.txt") + " > " + dir.File("out.txt")).c_str());
    std::vector<int> out;
    std::ifstream in(dir.File("out.txt"));
    for (int d; in >> d;) out.push_back(d);
    return out;
}

}  // namespace ks::test
