#include "ui/dialogs/new_elements.h"

#include "ui/dialogs/variable_dialog.h"

namespace ks {

InputSpec InputSpecFromDialog(const CdlgVariable& dialog) {
    InputSpec spec;
    spec.record = dialog.m_record;
    spec.name = dialog.m_name;
    spec.colour = dialog.m_colour;
    for (const auto& it : dialog.m_items.m_items) spec.items.push_back(*it);
    spec.currentIndex = dialog.m_iCurrentIndex;
    return spec;
}

}  // namespace ks
