// The main window's flows that change the project through dialogs: adding
// and editing inputs, outputs and scenarios, deleting, exporting.
#include <QApplication>
#include <QFileInfo>
#include <QInputDialog>

#include "files/header_file.h"
#include "files/messages.h"
#include "files/project_file.h"
#include "model/numeric.h"
#include "model/text.h"
#include "ui/dialogs/new_elements.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/output_dialog.h"
#include "ui/dialogs/scenario_dialog.h"
#include "ui/dialogs/variable_dialog.h"
#include "ui/dialogs/wizard.h"
#include "ui/main_window.h"
#include "ui/ui_messages.h"

namespace ks {

void CVeltrinoDlg::ExportSystem() {
    if (!m_project.m_bOpen) return m_prompt->Notify(msg::kNoProjectToExport);
    const QString path = ChooseFile({FileRequest::Save, "Export AI System for Integration", "Kestrine Runtime (*.ksr);;All Files (*.*)", "ksr", "*.ksr", {}});
    if (path.isEmpty()) return;
    FileResult header;
    const FileResult runtime = m_session->ExportRuntime(QFileInfo(path).absoluteFilePath().toStdString(), &header);
    m_prompt->Notify(header.message);
    if (!runtime.ok) return m_prompt->Notify(runtime.message);
    m_prompt->Notify(Format(msg::kRuntimeReady, m_project.m_name.c_str()));
}

int ChooseNumberType(QWidget* parent) {
    const QStringList kinds{"Double: decides exactly as the network here",
                            "Float: single precision, for small devices",
                            "Fixed point: 16-bit integers, for devices without floating point",
                            "Fixed point with integer inputs: no floating point at all"};
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, "Export C Source", "Numbers:", kinds, 0, false, &ok);
    return ok ? static_cast<int>(kinds.indexOf(chosen)) : -1;
}

void CVeltrinoDlg::ExportCSource() {
    if (!m_project.m_bOpen) return m_prompt->Notify(msg::kNoProjectToExport);
    const int kind = chooseNumberType(this);
    if (kind < 0) return;
    const CNumberType type = kind == 1 ? CNumberType::Float : kind >= 2 ? CNumberType::Fixed : CNumberType::Double;
    const QString folder = ChooseFile({FileRequest::Folder, "Export C Source", {}, {}, {}, {}});
    if (folder.isEmpty()) return;
    // Float and fixed point are checked against the network first: every scenario and 100 000 inputs.
    std::vector<std::string> report;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const FileResult r = m_session->ExportCSource(folder.toStdString(), "kestrine", type, &report, [this](const std::vector<std::string>& lines) {
        QApplication::restoreOverrideCursor();
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        const bool anyway = m_prompt->Ask(text + "\nWrite the C source anyway?", Buttons::YesNo) == Answer::Yes;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return anyway;
    }, kind == 3);
    QApplication::restoreOverrideCursor();
    std::string text = r.ok ? "The network is written as C source: kestrine_net.h and kestrine_net.c in " + folder.toStdString() + "."
                            : r.message;
    for (const std::string& line : report) text += "\n" + line;
    m_prompt->Notify(text);
}

void CVeltrinoDlg::EditInput(CVariable* input) {
    if (m_dialogBusy) return;
    if (!input && !m_project.m_bOpen) return;
    m_dialogBusy = true;
    if (input) {
        VARIABLE_RECORD rec;
        input->FillRecord(rec);
        rec.description.clear();
        const int current = input->m_iType == kDescriptorList ? Trunc32(input->m_dValue) : -1;
        CdlgVariable dialog(&rec, input->m_name, input->m_colour, input, current, this);
        if (dialog.exec() == QDialog::Accepted) m_session->EditInput(input, InputSpecFromDialog(dialog));
        m_dialogBusy = false;
        RefreshPanels();
        return;
    }
    if (!m_session->ConfirmAddInput()) {
        m_dialogBusy = false;
        return;
    }
    CdlgVariable dialog(nullptr, "", 0xFFFFFF, nullptr, -1, this);
    if (dialog.exec() == QDialog::Accepted) m_session->AddInput(InputSpecFromDialog(dialog));
    m_dialogBusy = false;
    RefreshPanels();
}

void CVeltrinoDlg::EditOutput(COutput* output) {
    if (m_dialogBusy) return;
    if (!output && !m_project.m_bOpen) return;
    m_dialogBusy = true;
    std::unique_ptr<COutput> created;
    if (!output) {
        created = std::make_unique<COutput>();
        created->m_name = Format("Output %d", m_project.m_outputs.Count());
        created->m_colour = 0xFFFFFF;
        output = created.get();
    }
    CdlgOutput dialog(*output, this);
    if (dialog.exec() == QDialog::Accepted) {
        if (created) {
            created->m_name = dialog.m_name;
            m_session->AddOutput(std::move(created), dialog.m_colour);
        } else {
            m_session->EditOutput(output, dialog.m_name, dialog.m_colour);
        }
        RefreshScenarioTexts();
    }
    m_dialogBusy = false;
    RefreshPanels();
}

void CVeltrinoDlg::ChooseOutputAction(COutput* output) {
    if (!m_project.IsReady()) return EditOutput(output);
    const std::string name = output->m_name;
    const Answer a = m_prompt->Ask(Format(msg::kOutputActionQuestion, name.c_str(), name.c_str()), Buttons::YesNoCancel);
    if (a == Answer::Yes) {
        EditOutput(output);
    } else if (a == Answer::No) {
        if (CReceptor* r = m_project.ActionForOutput(output))
            AddScenarioForOutput(r);
        else
            m_prompt->Notify(msg::kOutputNotAttached);
    }
    RefreshPanels();
}

void CVeltrinoDlg::DeleteSelectedInputs() { m_session->DeleteSelectedInputs(); }

void CVeltrinoDlg::DeleteSelectedOutputs() { m_session->DeleteSelectedOutputs(); }

void CVeltrinoDlg::AddScenarioForOutput(CReceptor* action) {
    if (!m_project.IsReady()) return;
    CScenario* s = m_session->CreateScenario(action);
    if (!s) return;
    m_project.Scenarios()->Select(s);
    if (!EditScenarios(s)) m_session->DeleteScenario(s);
    RefreshPanels();
}

bool CVeltrinoDlg::EditScenarios(CScenario* scenario) {
    CScenarioMgr* sm = m_project.Scenarios();
    if (!sm) return false;
    if (!scenario) {
        if (sm->m_selection.empty()) return false;
        scenario = sm->m_selection.front().scenario;
    }
    const int count = static_cast<int>(sm->m_selection.size());
    m_project.m_training.cursor = scenario;
    CdlgScenario dialog(m_project, *scenario, count, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    m_session->EditScenarios(scenario, count, dialog.m_name, dialog.m_iTargetID);
    return true;
}

void CVeltrinoDlg::OpenSlider(CVariable* input) {
    CdlgSliderInput slider(*input, [this, input](double value, bool) { m_session->SetInputValue(input, value); }, this);
    const QPoint under = m_view->mapToGlobal(QPoint(input->m_anchor.x - 100, input->m_rect.bottom + 42));
    slider.move(under);
    slider.exec();
    m_session->UpdateNetwork();
}

void CVeltrinoDlg::OpenOptions() {
    const auto& c = m_project.m_colours;
    CdlgOptions dialog(m_project, {c[kSlotBackground], c[kSlotLines], c[kSlotText]}, this);
    if (dialog.exec() == QDialog::Accepted) m_session->ApplyOptions(dialog.Options());
}

void CVeltrinoDlg::NewProjectWizard() {
    // The wizard may replace the project: training and simulation end first.
    StopActivity();
    CdlgWizProject wizard(*this);
    if (wizard.exec() == QDialog::Accepted) {
        const std::string name = m_project.m_name;
        if (wizard.Approach() == kApproachBlank) {
            // An open project is offered for saving under its own name, not the one typed for the new project.
            if (!wizard.Created()) m_project.m_name = wizard.OriginalName();
            if (!NewProject()) return RefreshPanels();  // the user kept the open project
            m_project.m_name = name;
            if (m_project.Model()) m_project.Model()->m_name = name;
        }
        m_session->ScoreScenarios();
        RefreshPanels();  // counts the learned scenarios
        m_view->Attach(&m_project, m_runner, m_prompt);
        m_project.m_name = name;
        m_view->Align();
        SelectListTab(2);
        m_savePath.clear();
        // A blank project has nothing to lose yet; one built in the wizard has never been saved.
        if (wizard.Approach() == kApproachBlank)
            m_savedImage = ProjectImage();
        else
            m_savedImage.clear();
        Redraw();
    } else {
        if (wizard.ClosedPrevious()) CloseProject();
        Redraw();
    }
    RefreshPanels();
}

}  // namespace ks
