#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

#include "files/byte_io.h"
#include "files/project_file.h"
#include "model/project.h"
#include "support/network_fixture.h"
#include "support/temp_dir.h"

namespace ks {
namespace {

using test::ReadAll;
using test::TempDir;

std::vector<std::uint8_t> Bytes(const CProject& p, bool exportMode = false) {
    ByteWriter w;
    WriteProject(w, p, exportMode);
    return w.Bytes();
}

// A project touching every part of the format.
void BuildRich(CProject& p) {
    test::BuildProject(p, 2, 2, 11);
    VARIABLE_RECORD rec;
    rec.type = kDescriptorList;
    CVariable* list = test::AddAssembledInput(p, rec, "Colour");
    list->AddItem("red", 0, 0, true, 0x0000FF);
    list->AddItem("green", 1, 1, false, 0x00FF00);
    list->SetValue(1);
    list->m_bAutoIncrement = true;
    list->m_dIncrement = 1;
    CVariable* first = p.m_inputs.m_items[0].get();
    first->m_name = std::string(99, 'n');
    first->m_iType = kBoolean;
    first->m_colour = 0x123456;
    p.m_inputs.m_iOffset = 37;
    p.m_outputs.m_iOffset = -12;
    p.m_outputs.m_items[1]->m_colour = 0xABCDEF;
    CReceptorMgr& m = *p.Model();
    AddBiasToKind(m, kAction);
    m.Processors()[0]->m_dThreshold = 0.375;
    m.Processors()[0]->m_iActivation = kBit;
    m.Processors()[0]->m_iBitIndex = 5;
    m.Biases()[0]->m_dBiasValue = -2.5;
    m.Processors()[1]->Place(333, 222);
    for (int i = 0; i < 3; ++i) {
        first->SetValue(i % 2);
        p.m_inputs.m_items[1]->SetValue(i * 1.5);
        p.Scenarios()->CreateScenario(m.Actions()[static_cast<std::size_t>(i % 2)]);
    }
    p.Scenarios()->Scenarios()[0]->m_name = std::string(39, 's');
    p.Scenarios()->EvaluateAll();
    p.UpdateNetwork();
}

TEST(ProjectFile, EmptyProjectIs93Bytes) {
    CProject p;
    p.NewProject(kProjectNew);
    p.Model()->DeleteAll();
    EXPECT_EQ(Bytes(p).size(), 93u);
}

TEST(ProjectFile, RecordsAreFilledAsTheFormatSays) {
    CProject p;
    test::BuildProject(p, 1, 1, 2);
    const auto b = Bytes(p);
    const std::size_t variable = 13;
    EXPECT_EQ(b[variable + 933], 1);                 // the constant 1
    EXPECT_EQ(b[variable + 710], 0);                 // zero-filled
    const std::size_t receptors = 9 + 4 + 944 + 4 + 208 + 64;
    EXPECT_EQ(b[receptors + 52], 0x30);              // unlisted bytes of a receptor record
    EXPECT_EQ(b[receptors + 94], 0x30);
    EXPECT_EQ(b[receptors + 208], 'P');              // "Processor 1", UTF-16LE, terminated
    EXPECT_EQ(b[receptors + 209], 0);
    EXPECT_EQ(b[receptors + 208 + 2 * 11], 0);
    const std::size_t connections = receptors + 288 * p.Model()->m_receptors.size();
    EXPECT_EQ(b[connections + 64], 1);
    EXPECT_EQ(b[connections + 65], 0x30);
}

TEST(ProjectFile, RoundTripKeepsEverythingStored) {
    TempDir dir;
    CProject p;
    BuildRich(p);
    const std::string path = dir.File("rich.ksm");
    ASSERT_TRUE(SaveProjectFile(path, p).ok);

    CProject q;
    const FileResult r = LoadProjectFile(path, q);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(q.m_name, "rich.ksm");
    EXPECT_EQ(q.Model()->m_name, "rich");
    EXPECT_TRUE(q.m_bOpen);
    EXPECT_EQ(q.m_inputs.m_iOffset, 37);
    EXPECT_EQ(q.m_outputs.m_iOffset, -12);
    ASSERT_EQ(q.m_inputs.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const CVariable& a = *p.m_inputs.m_items[static_cast<std::size_t>(i)];
        const CVariable& b = *q.m_inputs.m_items[static_cast<std::size_t>(i)];
        EXPECT_EQ(b.m_ID, a.m_ID);
        EXPECT_EQ(b.m_name, a.m_name);
        EXPECT_EQ(b.m_iType, a.m_iType);
        EXPECT_EQ(b.m_dValue, a.m_dValue);
        EXPECT_EQ(b.m_dMin, a.m_dMin);
        EXPECT_EQ(b.m_dMax, a.m_dMax);
        EXPECT_EQ(b.m_colour, a.m_colour);
        EXPECT_EQ(b.m_bAutoIncrement, a.m_bAutoIncrement);
        EXPECT_EQ(b.ItemCount(), a.ItemCount());
    }
    EXPECT_EQ(q.m_inputs.m_items[2]->m_pCurrentItem->text, "green");
    EXPECT_EQ(q.m_inputs.m_items[0]->m_name.size(), 99u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(q.m_outputs.m_items[static_cast<std::size_t>(i)]->m_ID, p.m_outputs.m_items[static_cast<std::size_t>(i)]->m_ID);
    }
    EXPECT_EQ(q.m_outputs.m_items[1]->m_colour, 0xABCDEFu);

    const CReceptorMgr& a = *p.Model();
    const CReceptorMgr& b = *q.Model();
    ASSERT_EQ(b.m_receptors.size(), a.m_receptors.size());
    for (std::size_t i = 0; i < a.m_receptors.size(); ++i) {
        const CReceptor& x = *a.m_receptors[i];
        const CReceptor& y = *b.m_receptors[i];
        EXPECT_EQ(y.m_ID, x.m_ID);
        EXPECT_EQ(y.m_iKind, x.m_iKind);
        EXPECT_EQ(y.m_pos, x.m_pos);
        EXPECT_EQ(y.m_dThreshold, x.m_dThreshold);
        EXPECT_EQ(y.m_dBiasValue, x.m_dBiasValue);
        EXPECT_EQ(y.m_iBitIndex, x.m_iBitIndex);
        EXPECT_EQ(y.m_geo.body, x.m_geo.body);
        EXPECT_TRUE(y.m_label.empty());
    }
    ASSERT_EQ(b.m_connections.size(), a.m_connections.size());
    for (std::size_t i = 0; i < a.m_connections.size(); ++i) {
        EXPECT_EQ(b.m_connections[i]->m_ID, a.m_connections[i]->m_ID);
        EXPECT_EQ(b.m_connections[i]->Weight(), a.m_connections[i]->Weight());
        EXPECT_EQ(b.m_connections[i]->m_colour, a.m_connections[i]->m_colour);
    }
    EXPECT_EQ(b.m_iInputCount, 3);
    EXPECT_EQ(b.Actions()[0]->m_pOutput, q.m_outputs.m_items[0].get());

    const auto& sa = p.Scenarios()->Scenarios();
    const auto& sb = q.Scenarios()->Scenarios();
    ASSERT_EQ(sb.size(), sa.size());
    for (std::size_t i = 0; i < sa.size(); ++i) {
        EXPECT_EQ(sb[i]->m_ID, sa[i]->m_ID);
        EXPECT_EQ(sb[i]->m_name, sa[i]->m_name);
        EXPECT_EQ(sb[i]->m_iTargetID, sa[i]->m_iTargetID);
        EXPECT_NE(sb[i]->m_pTarget, nullptr);
        EXPECT_FALSE(sb[i]->m_bLearned);
        ASSERT_EQ(sb[i]->m_inputs.size(), sa[i]->m_inputs.size());
        for (std::size_t k = 0; k < sa[i]->m_inputs.size(); ++k) EXPECT_EQ(sb[i]->m_inputs[k].value, sa[i]->m_inputs[k].value);
    }
    EXPECT_EQ(q.Scenarios()->m_iBatchSize, 4);
    // Saving the loaded project again gives the same bytes, labels aside.
    EXPECT_EQ(Bytes(q).size(), Bytes(p).size());
}

TEST(ProjectFile, UnknownTargetLeavesScenarioWithoutTarget) {
    TempDir dir;
    CProject p;
    test::BuildProject(p, 1, 1, 3);
    p.Scenarios()->CreateScenario(nullptr)->m_iTargetID = 424242;
    ASSERT_TRUE(SaveProjectFile(dir.File("t.ksm"), p).ok);
    CProject q;
    ASSERT_TRUE(LoadProjectFile(dir.File("t.ksm"), q).ok);
    EXPECT_EQ(q.Scenarios()->Scenarios()[0]->m_pTarget, nullptr);
    q.Scenarios()->EvaluateAll();  // and nothing reads the missing receptor
    EXPECT_FALSE(q.Scenarios()->Scenarios()[0]->m_bLearned);
}

TEST(ProjectFile, EveryTruncationIsRefusedAndTheOpenProjectKept) {
    CProject p;
    BuildRich(p);
    const auto bytes = Bytes(p);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        CProject fresh;
        ByteReader in(bytes.data(), cut);
        ASSERT_FALSE(ReadProject(in, fresh)) << "cut at " << cut;
        EXPECT_LE(in.FailedAt(), cut);
        EXPECT_FALSE(in.Problem().empty());
    }
    // Through the file layer the open project stays as it was.
    TempDir dir;
    const std::string path = dir.Write("cut.ksm", std::string(bytes.begin(), bytes.begin() + 500));
    CProject open;
    test::BuildProject(open, 2, 1, 4);
    const auto before = Bytes(open);
    const FileResult r = LoadProjectFile(path, open);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(path), std::string::npos);
    EXPECT_NE(r.message.find("at byte"), std::string::npos);
    EXPECT_EQ(Bytes(open), before);
}

TEST(ProjectFile, ReadingReportsProgressAndStopsWhenCancelled) {
    CProject p;
    test::BuildThreeClassProject(p);
    TempDir dir;
    const std::string path = dir.Write("big.ksm", std::string());
    ASSERT_TRUE(SaveProjectFile(path, p).ok);
    LoadProgress progress;
    CProject fresh;
    ASSERT_TRUE(ReadProjectFile(path, fresh, &progress).ok);
    EXPECT_EQ(progress.done.load(), progress.total.load());
    EXPECT_EQ(progress.total.load(), Bytes(p).size());
    // Cancelled: a failure with no message (nothing to tell the user) and an untouched project.
    LoadProgress cancelled;
    cancelled.cancelled = true;
    CProject other;
    const FileResult r = ReadProjectFile(path, other, &cancelled);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.empty());
    EXPECT_FALSE(other.m_bOpen);
}

TEST(ProjectFile, AbsurdCountsAreRefusedWithoutAllocating) {
    CProject p;
    test::BuildProject(p, 1, 1, 5);
    auto bytes = Bytes(p);
    const std::int32_t huge = 0x7FFFFFFF;
    std::memcpy(&bytes[1], &huge, 4);  // N_in
    CProject fresh;
    ByteReader in(bytes.data(), bytes.size());
    EXPECT_FALSE(ReadProject(in, fresh));
    EXPECT_EQ(in.FailedAt(), 1u);
    const std::int32_t negative = -3;
    bytes = Bytes(p);
    std::memcpy(&bytes[5], &negative, 4);  // N_out
    ByteReader in2(bytes.data(), bytes.size());
    EXPECT_FALSE(ReadProject(in2, fresh));

    // A receptor placed where no canvas reaches (its geometry would overflow).
    bytes = Bytes(p);
    const std::size_t firstReceptor = 9 + 4 + 944 + 4 + 208 + 64;
    const std::int32_t far = INT32_MIN;
    std::memcpy(&bytes[firstReceptor + 96], &far, 4);
    ByteReader in3(bytes.data(), bytes.size());
    EXPECT_FALSE(ReadProject(in3, fresh));
    EXPECT_EQ(in3.FailedAt(), firstReceptor);
}

TEST(ProjectFile, FailedSaveLeavesThePreviousFileIntact) {
    TempDir dir;
    const std::string path = dir.File("keep.ksm");
    CProject small;
    test::BuildProject(small, 1, 1, 6);
    ASSERT_TRUE(SaveProjectFile(path, small).ok);
    const std::string before = ReadAll(path);

    CProject big;
    BuildRich(big);
    for (int i = 0; i < 40; ++i) big.Scenarios()->CreateScenario(nullptr);
    // The file system refuses to let any file grow past 2000 bytes.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 2000;
    setrlimit(RLIMIT_FSIZE, &limited);
    const FileResult r = SaveProjectFile(path, big);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(path), std::string::npos);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);  // no leftovers
}

TEST(RuntimeFile, LengthFollowsTheFormula) {
    CProject p;
    test::BuildProject(p, 3, 2, 7);
    const CReceptorMgr& m = *p.Model();
    const std::size_t r = m.m_receptors.size(), c = m.m_connections.size();
    EXPECT_EQ(Bytes(p, true).size(), 24 + 28 * r + 32 * c + 4 * 2 + 164 * 3);

    VARIABLE_RECORD rec;
    rec.type = kDescriptorList;
    CVariable* list = test::AddAssembledInput(p, rec, "d");
    for (int i = 0; i < 3; ++i) list->AddItem("x", i + 10, i, false, 0);
    const auto bytes = Bytes(p, true);
    const std::size_t r2 = m.m_receptors.size(), c2 = m.m_connections.size();
    EXPECT_EQ(bytes.size(), 24 + 28 * r2 + 32 * c2 + 4 * 2 + 164 * 4 + 3 * 8);
    // Attachment fields of a variable are 0 in the runtime file.
    const std::size_t firstVariable = 24 + 28 * r2 + 32 * c2 + 8;
    EXPECT_EQ(bytes[firstVariable + 56], 0);
    EXPECT_EQ(bytes[firstVariable + 157], 1);
}

}  // namespace
}  // namespace ks
