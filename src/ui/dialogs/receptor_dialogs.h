#pragma once
// The properties dialogs of receptors and connections.
#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace ks {

class CConnection;
class CSession;
class CReceptor;

// "Connection Properties": only the arrows and "Set to 0.0" change the weight;
// the caller stores m_dWeight after OK.
class CdlgConnection : public QDialog {
    Q_OBJECT
public:
    explicit CdlgConnection(const CConnection& connection, QWidget* parent = nullptr);
    // One spin notification: weight -= change x step.
    void Spin(int change);
    double m_dWeight;
    QLineEdit *sender, *receiver, *weightBox;
    QToolButton *up, *down;
    QPushButton* setToZero;

private:
    void ShowWeight();
};

// "Sensory Receptor Properties": the receptor, its input and its outgoing
// connections, which can be re-weighted or deleted at once.
class CdlgReceptorSensor : public QDialog {
    Q_OBJECT
public:
    CdlgReceptorSensor(CReceptor& receptor, CSession& session, QWidget* parent = nullptr);
    void FillConnections();
    void EditSelected();
    void DeleteSelected();
    QLineEdit *sensorName, *sensorId, *inputVariable, *variableId, *inputValue, *outputValue;
    QListWidget* connections;
    QPushButton *add, *edit, *remove;

private:
    CConnection* Selected() const;
    CReceptor& m_receptor;
    CSession& m_session;
};

// The processor, bias and action receptor dialogs show an empty page.
class CdlgReceptorPlain : public QDialog {
    Q_OBJECT
public:
    CdlgReceptorPlain(const char* title, QWidget* parent = nullptr);
};

}  // namespace ks
