#pragma once
// Training > Cross-Validate...: K-fold cross-validation of a data file, each
// fold imported and trained on its own thread with the Train page's method
// and values, with a progress bar and Cancel.
#include <QDialog>
#include <atomic>
#include <functional>
#include <thread>

#include "files/crossval.h"
#include "model/training_state.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace ks {

// What a fold is trained with: the window's Train page as it stands.
struct FoldTraining {
    TrainingMethod method = TrainingMethod::Winner;
    double learnRate = 0.25, momentum = 0.0;
    std::int32_t resetLimit = 100, batchSize = 4, patience = 0;
    bool useMomentum = false, errorCorrection = false;
};

class CdlgCrossval : public QDialog {
    Q_OBJECT
public:
    CdlgCrossval(FoldTraining training, std::function<QString()> browse, QWidget* parent = nullptr);
    ~CdlgCrossval() override;
    // Starts the folds on their thread (the Run button).
    void Run();
    // Done when the folds have all been tested, cancelled or refused.
    bool Finished() const { return m_finished; }
    const CrossvalResult& Result() const { return m_result; }

    QLineEdit* file;
    QPushButton *browse, *run, *cancel;
    QCheckBox *names, *bias;
    QSpinBox *folds, *seed;
    QProgressBar* progress;
    QLabel* status;

signals:
    void finished();

private:
    void Poll();
    void Join();

    FoldTraining m_training;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_foldsDone{0};
    std::atomic<bool> m_workerDone{false};
    bool m_finished = false;
    CrossvalResult m_result;
    QTimer* m_poll;
};

}  // namespace ks
