#include "ui/dialogs/new_elements.h"

#include "model/project.h"
#include "ui/dialogs/variable_dialog.h"
#include "ui/display.h"

namespace ks {

namespace {

// Attachment happens with the automatic-attachment switch set for the call only.
template <class F>
void WithAutoAssembly(CProject& project, F attach) {
    const bool saved = project.m_bAutoAssembly;
    project.m_bAutoAssembly = true;
    attach();
    project.m_bAutoAssembly = saved;
}

}  // namespace

CVariable* AddInputFromDialog(CProject& project, CDisplay& view, const CdlgVariable& dialog) {
    CVariable* v = project.AddInput(dialog.m_record, dialog.m_name);
    view.LayoutBars(false);  // the new sensor is placed below the input's item
    WithAutoAssembly(project, [&] { project.AttachNewInput(v, {0, 0}); });
    v->m_colour = dialog.m_colour;
    if (v->m_iType == kDescriptorList) {
        v->ClearItems();
        for (const auto& it : dialog.m_items.m_items) v->AddItem(it->text, it->valueCode, it->index, it->colourCoding, it->colour);
        v->SetValue(dialog.m_iCurrentIndex);
    }
    return v;
}

COutput* AddOutputFromDialog(CProject& project, CDisplay& view, std::unique_ptr<COutput> output, COLORREF colour) {
    COutput* o = output.get();
    o->m_colour = colour;
    project.m_outputs.AddOutput(std::move(output));
    project.UpdateNetwork();
    view.LayoutBars(false);
    WithAutoAssembly(project, [&] { project.AttachNewOutput(o, {0, 0}); });
    return o;
}

}  // namespace ks
