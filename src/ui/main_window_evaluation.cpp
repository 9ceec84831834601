// Training > Evaluate..., Test With Data File...: how well the network
// decides its scenarios or the cases of a data file.
#include <QComboBox>
#include <QFileInfo>

#include "files/test_data.h"
#include "model/text.h"
#include "ui/dialogs/crossval_dialog.h"
#include "ui/dialogs/evaluation_dialog.h"
#include "ui/main_window.h"

namespace ks {

void CVeltrinoDlg::EvaluateScenarios() {
    if (!m_project.IsReady() || m_session->Training()) return;
    bool held = false;
    for (const auto& s : m_project.Scenarios()->Scenarios()) held = held || s->m_bHeldOut;
    QStringList sets = {"All scenarios"};
    if (held) sets << "Held-out scenarios (never trained on)" << "Training scenarios";
    CdlgEvaluation dialog("Evaluate", sets, [this](int set, QString& note) {
        const CaseSet which = set == 1 ? CaseSet::HeldOut : set == 2 ? CaseSet::Training : CaseSet::All;
        if (set == 0) note = "These are the cases the network was taught: test it on cases it has not seen to know how it decides new ones.";
        return m_session->Locked([&] { return EvaluateCases(m_project, ScenarioCases(m_project, which)); });
    }, this);
    if (held) dialog.caseSet->setCurrentIndex(1);
    dialog.exec();
}

void CVeltrinoDlg::TestWithDataFile() {
    if (!m_project.IsReady() || m_session->Training() || m_project.m_outputs.Count() == 0) return;
    const QString path = ChooseFile({FileRequest::Open, "Test With Data File",
                                     "Data Files (*.txt *.dat *.csv);;All Files (*.*)", "csv", {}, {}});
    if (path.isEmpty()) return;
    const TestData data = m_session->Locked([&] { return ReadTestData(path.toStdString(), m_project); });
    if (!data.error.empty()) {
        m_prompt->Notify(data.error);
        return;
    }
    if (data.cases.empty()) {
        m_prompt->Notify(path.toStdString() + ": no case is left to test");
        return;
    }
    QString note;
    for (const std::string& n : data.notes) note += QString::fromStdString(Format("Note: %s. ", n.c_str()));
    CdlgEvaluation dialog("Test With " + QFileInfo(path).fileName(), {QFileInfo(path).fileName()},
                          [&](int, QString& line) {
                              line = note.trimmed();
                              return m_session->Locked([&] { return EvaluateCases(m_project, data.cases); });
                          },
                          this);
    dialog.exec();
}

void CVeltrinoDlg::CrossValidateFile() {
    if (m_session->Training()) return;
    FoldTraining t;
    if (m_project.IsReady()) {
        const CReceptorMgr& m = *m_project.Model();
        t.learnRate = m.m_dLearnRate;
        t.momentum = m.m_dMomentum;
        t.resetLimit = m.m_iResetLimit;
        t.useMomentum = m.m_bUseMomentum;
        t.errorCorrection = m.m_bErrorCorrection;
        t.batchSize = m_project.Scenarios()->m_iBatchSize;
    }
    t.method = m_project.m_trainingMethod;
    t.patience = m_session->Watch().patience;
    CdlgCrossval dialog(t, [this] {
        return ChooseFile({FileRequest::Open, "Cross-Validate", "Data Files (*.txt *.dat *.csv);;All Files (*.*)", "csv", {}, {}});
    }, this);
    connect(&dialog, &CdlgCrossval::finished, this, [this, &dialog] {
        const CrossvalResult& r = dialog.Result();
        if (!r.error.empty() || r.cancelled || r.folds.empty()) return;
        QString note = QString::asprintf("Pooled over %zu folds; mean accuracy %.1f%%, standard deviation %.1f%%. Folds:",
                                         r.folds.size(), 100.0 * r.mean, 100.0 * r.sd);
        for (const FoldResult& f : r.folds) note += QString::asprintf(" %.0f%%", 100.0 * f.accuracy);
        note += ".";
        if (r.leftOut) note += QString::asprintf(" %d cases left out (a text their fold's training never had).", r.leftOut);
        const EvaluationReport pooled = r.pooled;
        // Shown beside the cross-validation dialog, which stays open with its summary.
        auto* figures = new CdlgEvaluation("Cross-Validation", {"All folds"}, [note, pooled](int, QString& line) {
            line = note;
            return pooled;
        }, &dialog);
        figures->setAttribute(Qt::WA_DeleteOnClose);
        figures->open();
    });
    dialog.exec();
}

}  // namespace ks
