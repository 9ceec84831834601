#pragma once
// How well the network decides a set of cases: the accuracy, the confusion
// matrix with output names (cells shaded by count) and each output's
// precision, recall and F1.
#include <QDialog>
#include <functional>

#include "training/evaluation_report.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace ks {

class CdlgEvaluation : public QDialog {
    Q_OBJECT
public:
    // `sets` names the case sets the user can choose between (may be one);
    // `evaluate` gives the report of set i and a line about it.
    CdlgEvaluation(const QString& title, const QStringList& sets,
                   std::function<EvaluationReport(int set, QString& note)> evaluate, QWidget* parent = nullptr);
    void ShowSet(int set);

    QComboBox* caseSet;
    QLabel* summary;
    QTableWidget* confusion;
    QTableWidget* figures;

private:
    std::function<EvaluationReport(int, QString&)> m_evaluate;
};

}  // namespace ks
