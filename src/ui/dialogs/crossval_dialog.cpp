#include "ui/dialogs/crossval_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "files/data_import.h"
#include "files/data_table.h"
#include "model/project.h"
#include "model/prompt.h"
#include "model/random.h"
#include "session/session.h"

namespace ks {

namespace {

// The folds' sessions ask nothing and say nothing: the dialog reports.
class SilentPrompt : public IPrompt {
public:
    Answer Ask(const std::string&, Buttons) override { return Answer::Yes; }
    void Notify(const std::string&) override {}
};

}  // namespace

CdlgCrossval::CdlgCrossval(FoldTraining training, std::function<QString()> chooseFile, QWidget* parent)
    : QDialog(parent), m_training(training) {
    setWindowTitle("Cross-Validate");
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel("Each fold is imported from the other folds' rows alone, trained with the Train page's "
                             "method and values, and tested on its own rows: the mean accuracy says how the "
                             "network will decide cases it has never seen.");
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    auto* fileRow = new QHBoxLayout;
    file = new QLineEdit;
    file->setAccessibleName("Data file");
    file->setToolTip("The data file, in the import's format");
    browse = new QPushButton("Browse...");
    fileRow->addWidget(file, 1);
    fileRow->addWidget(browse);
    form->addRow("Data file:", fileRow);
    names = new QCheckBox("First Column Contains Scenario Names");
    bias = new QCheckBox("Give every processor and action receptor a bias");
    form->addRow(names);
    form->addRow(bias);
    folds = new QSpinBox;
    folds->setRange(2, 1000);
    folds->setValue(10);
    folds->setToolTip("How many parts the rows are dealt into; each is tested once");
    form->addRow("Folds:", folds);
    seed = new QSpinBox;
    seed->setRange(1, 999999);
    seed->setToolTip("The same seed gives the same folds, weights and figures");
    form->addRow("Seed:", seed);
    layout->addLayout(form);
    progress = new QProgressBar;
    progress->setAccessibleName("Folds done");
    progress->setRange(0, 10);
    progress->setValue(0);
    layout->addWidget(progress);
    status = new QLabel;
    status->setWordWrap(true);
    layout->addWidget(status);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    run = new QPushButton("Run");
    cancel = new QPushButton("Cancel");
    buttons->addWidget(run);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    m_poll = new QTimer(this);
    m_poll->setInterval(100);
    connect(m_poll, &QTimer::timeout, this, [this] { Poll(); });
    connect(browse, &QPushButton::clicked, this, [this, chooseFile] {
        const QString path = chooseFile();
        if (!path.isEmpty()) file->setText(path);
    });
    connect(run, &QPushButton::clicked, this, [this] { Run(); });
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (m_worker.joinable() && !m_workerDone) {
            m_cancel = true;  // the fold under way finishes its cycle, then nothing more runs
            status->setText("Cancelling...");
        } else {
            reject();
        }
    });
}

CdlgCrossval::~CdlgCrossval() {
    m_cancel = true;
    Join();
}

void CdlgCrossval::Join() {
    if (m_worker.joinable()) m_worker.join();
}

void CdlgCrossval::Run() {
    if (m_worker.joinable()) return;
    std::vector<std::uint8_t> bytes;
    const std::string path = file->text().toStdString();
    if (std::string why = ReadDataFile(path, bytes); !why.empty()) {
        status->setText(QString::fromStdString(why));
        return;
    }
    auto table = std::make_shared<DataTable>(ParseDataText(bytes.data(), bytes.size()));
    if (!table->Ok()) {
        status->setText(QString::fromStdString(path + ": " + table->error));
        return;
    }
    if (std::string why = CheckFolds(*table, folds->value(), names->isChecked() ? 1 : 0); !why.empty()) {
        status->setText(QString::fromStdString(path + ": " + why));
        return;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{file, browse, names, bias, folds, seed, run}) w->setEnabled(false);
    progress->setRange(0, folds->value());
    progress->setValue(0);
    status->setText("Training the folds...");
    m_cancel = false;
    m_foldsDone = 0;
    m_workerDone = false;
    CrossvalSetup setup;
    setup.folds = folds->value();
    setup.seed = static_cast<std::uint32_t>(seed->value());
    setup.firstInput = names->isChecked() ? 1 : 0;
    setup.cancel = &m_cancel;
    const bool withNames = names->isChecked(), withBias = bias->isChecked();
    const FoldTraining t = m_training;
    const std::uint32_t foldSeed = setup.seed;
    setup.build = [path, withNames, withBias, foldSeed](CProject& p, const DataTable& rows) {
        CDataImport import;
        import.Choose(path);
        import.m_bScenarioNames = withNames;
        import.m_table = std::make_shared<const DataTable>(rows);
        SeedRandom(foldSeed);
        SilentPrompt prompt;
        CSession session(p, prompt);
        session.ImportProject(import, withBias);
        return import.m_report.ok ? std::string() : import.m_report.error;
    };
    setup.train = [this, t, foldSeed](CProject& p) {
        CReceptorMgr& m = *p.Model();
        m.SetLearnRate(t.learnRate);
        m.m_dMomentum = t.momentum;
        m.m_iResetLimit = t.resetLimit;
        m.m_bUseMomentum = t.useMomentum;
        m.m_bErrorCorrection = t.errorCorrection;
        p.Scenarios()->m_iBatchSize = t.batchSize;
        p.m_trainingMethod = t.method;
        p.m_trainingSeed = foldSeed;
        RunLimits limits;
        limits.patience = t.patience > 0 ? t.patience : 500;  // a fold that never learns everything still ends
        limits.interrupt = &m_cancel;
        CRunMonitor monitor(p, limits);
        return TrainOnThisThread(p, monitor);
    };
    setup.progress = [this](std::int32_t, const FoldResult&) { ++m_foldsDone; };
    m_worker = std::thread([this, table, setup] {
        m_result = CrossValidate(*table, setup);
        m_workerDone = true;
    });
    m_poll->start();
}

void CdlgCrossval::Poll() {
    // Done is read first: once the worker is done its count is final, so the
    // bar never stays a fold short of what was run.
    const bool done = m_workerDone;
    progress->setValue(m_foldsDone.load());
    if (!done) return;
    m_poll->stop();
    Join();
    m_finished = true;
    if (!m_result.error.empty()) {
        status->setText(QString::fromStdString(m_result.error));
    } else if (m_result.cancelled || m_cancel) {
        status->setText(QString::asprintf("Cancelled after %zu of %d folds; nothing is reported.", m_result.folds.size(),
                                          folds->value()));
    } else {
        status->setText(QString::asprintf("Mean accuracy %.1f%% (standard deviation %.1f%%) over %d folds.",
                                          100.0 * m_result.mean, 100.0 * m_result.sd, folds->value()));
    }
    cancel->setText("Close");
    emit finished();
}

}  // namespace ks
