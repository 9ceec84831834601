#include "ui/qt_prompt.h"

#include <QMessageBox>

#include "ui/ui_messages.h"

namespace ks {

Answer QtPrompt::Ask(const std::string& text, Buttons buttons) {
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok: b = QMessageBox::Ok; break;
    case Buttons::YesNo: b = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::YesNoCancel: b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case Buttons::OkCancel: b = QMessageBox::Ok | QMessageBox::Cancel; break;
    }
    switch (QMessageBox::question(m_parent, msg::kWindowTitle, QString::fromStdString(text), b)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Ok: return Answer::Ok;
    default: return Answer::Cancel;
    }
}

void QtPrompt::Notify(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, msg::kWindowTitle, QString::fromStdString(text), QMessageBox::Ok, m_parent);
    box.exec();
}

}  // namespace ks
