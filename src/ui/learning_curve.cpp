#include "ui/learning_curve.h"

#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include "training/training_runner.h"

namespace ks {

CLearningCurve::CLearningCurve(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Learning Curve");
    auto* layout = new QVBoxLayout(this);
    caption = new QLabel("No run yet: start training to see how it learns.");
    caption->setWordWrap(true);
    layout->addWidget(caption);
    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    learned = new QLineSeries;
    learned->setName("Training scenarios learned (%)");
    heldOut = new QLineSeries;
    heldOut->setName("Held-out scenarios decided right (%)");
    m_chart->addSeries(learned);
    m_chart->addSeries(heldOut);
    m_cycles = new QValueAxis;
    m_cycles->setTitleText("Cycle");
    m_cycles->setLabelFormat("%d");
    m_percent = new QValueAxis;
    m_percent->setRange(0, 100);
    m_percent->setTitleText("%");
    m_chart->addAxis(m_cycles, Qt::AlignBottom);
    m_chart->addAxis(m_percent, Qt::AlignLeft);
    for (QLineSeries* s : {learned, heldOut}) {
        s->attachAxis(m_cycles);
        s->attachAxis(m_percent);
    }
    auto* view = new QChartView(m_chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(420, 260);
    layout->addWidget(view, 1);
    resize(560, 380);
}

void CLearningCurve::Show(const TrainingSnapshot& snap) {
    QList<QPointF> a, b;
    for (const RunFigures& f : snap.curve) {
        a.append(QPointF(f.cycle, f.LearnedPercent()));
        if (snap.hasHeldOut) b.append(QPointF(f.cycle, 100.0 * f.HeldOutAccuracy()));
    }
    learned->replace(a);
    heldOut->replace(b);
    heldOut->setVisible(snap.hasHeldOut);
    const int last = snap.curve.empty() ? 1 : std::max(1, snap.curve.back().cycle);
    m_cycles->setRange(0, last);
    if (!snap.watched || snap.curve.empty()) {
        caption->setText("No run yet: start training to see how it learns.");
        return;
    }
    const RunFigures& f = snap.latest;
    QString text = QString::asprintf("Cycle %d: %d of %d training scenarios learned", f.cycle, f.learned, f.trainingCases);
    if (snap.hasHeldOut)
        text += QString::asprintf("; %d of %d held-out scenarios decided right", f.heldOutCorrect, f.heldOutCases);
    text += ".";
    if (!snap.threadRunning && snap.stopReason != StopReason::None) {
        const RunFigures& b = snap.best;
        text += QString(" Stopped: %1; kept the best state, cycle %2")
                    .arg(snap.stopReason == StopReason::Interrupted ? "by you" : StopReasonName(snap.stopReason))
                    .arg(b.cycle);
        text += snap.hasHeldOut ? QString::asprintf(" (%d of %d held out right).", b.heldOutCorrect, b.heldOutCases)
                                : QString::asprintf(" (%d of %d learned).", b.learned, b.trainingCases);
    }
    caption->setText(text);
}

}  // namespace ks
