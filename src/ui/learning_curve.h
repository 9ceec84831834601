#pragma once
// The learning curve of a run: training learned % and, with a held-out part,
// held-out accuracy against cycles, drawn live from the training snapshot.
#include <QDialog>

class QChart;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace ks {

struct TrainingSnapshot;

class CLearningCurve : public QDialog {
    Q_OBJECT
public:
    explicit CLearningCurve(QWidget* parent = nullptr);
    // Shows the snapshot's curve (nothing when the run was not watched).
    void Show(const TrainingSnapshot& snapshot);

    QLineSeries* learned = nullptr;
    QLineSeries* heldOut = nullptr;
    QLabel* caption = nullptr;

private:
    QChart* m_chart = nullptr;
    QValueAxis* m_cycles = nullptr;
    QValueAxis* m_percent = nullptr;
};

}  // namespace ks
