#include "ui/dialogs/evaluation_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace ks {

CdlgEvaluation::CdlgEvaluation(const QString& title, const QStringList& sets,
                               std::function<EvaluationReport(int, QString&)> evaluate, QWidget* parent)
    : QDialog(parent), m_evaluate(std::move(evaluate)) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    caseSet = new QComboBox;
    caseSet->addItems(sets);
    caseSet->setVisible(sets.size() > 1);
    caseSet->setToolTip("Which cases to decide");
    layout->addWidget(caseSet);
    summary = new QLabel;
    summary->setWordWrap(true);
    layout->addWidget(summary);
    layout->addWidget(new QLabel("Confusion matrix (rows: the right output; columns: the network's decision):"));
    confusion = new QTableWidget;
    confusion->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(confusion, 1);
    figures = new QTableWidget;
    figures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figures->setColumnCount(3);
    figures->setHorizontalHeaderLabels({"Precision", "Recall", "F1"});
    figures->setToolTip("Precision: how often a decision is right when the network makes it; "
                        "recall: how many of an output's cases the network finds");
    layout->addWidget(figures, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(caseSet, &QComboBox::currentIndexChanged, this, [this](int i) { ShowSet(i); });
    ShowSet(0);
    resize(560, 520);
}

void CdlgEvaluation::ShowSet(int set) {
    QString note;
    const EvaluationReport r = m_evaluate(set, note);
    QString text = r.cases > 0 ? QString::asprintf("%d cases, %d decided right: accuracy %.1f%%.", r.cases, r.correct,
                                                   100.0 * r.accuracy)
                               : QString("No case to decide.");
    if (!note.isEmpty()) text += " " + note;
    summary->setText(text);
    const int n = static_cast<int>(r.outputs.size());
    QStringList names;
    for (const std::string& o : r.outputs) names << QString::fromStdString(o);
    confusion->clear();
    confusion->setRowCount(n);
    confusion->setColumnCount(n + 1);
    confusion->setVerticalHeaderLabels(names);
    confusion->setHorizontalHeaderLabels(QStringList(names) << "(none)");
    std::int32_t most = 1;
    for (const auto& row : r.confusion) most = std::max(most, *std::max_element(row.begin(), row.end()));
    for (int t = 0; t < n; ++t)
        for (int d = 0; d <= n; ++d) {
            const std::int32_t count = r.confusion[static_cast<std::size_t>(t)][static_cast<std::size_t>(d)];
            auto* cell = new QTableWidgetItem(QString::number(count));
            cell->setTextAlignment(Qt::AlignCenter);
            // Shaded by count: the darker, the more cases; right decisions green, mistakes red.
            const int level = 255 - static_cast<int>(150.0 * count / most);
            cell->setBackground(t == d ? QColor(level, 255, level) : count ? QColor(255, level, level) : QColor(Qt::white));
            confusion->setItem(t, d, cell);
        }
    confusion->resizeColumnsToContents();
    figures->setRowCount(n + 1);
    figures->setVerticalHeaderLabels(QStringList(names) << "Macro average");
    for (int k = 0; k <= n; ++k) {
        const double v[3] = {k < n ? r.precision[static_cast<std::size_t>(k)] : r.macroPrecision,
                             k < n ? r.recall[static_cast<std::size_t>(k)] : r.macroRecall,
                             k < n ? r.f1[static_cast<std::size_t>(k)] : r.macroF1};
        for (int c = 0; c < 3; ++c) {
            auto* cell = new QTableWidgetItem(QString::asprintf("%.3f", v[c]));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            figures->setItem(k, c, cell);
        }
    }
}

}  // namespace ks
