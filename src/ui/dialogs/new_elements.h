#pragma once
// What the add-input and add-output flows do with a confirmed dialog: the new
// element joins the project and gets its receptor from the automatic assembly.
// The caller holds the training lock.
#include <memory>

#include "model/geometry.h"

namespace ks {

class CDisplay;
class CProject;
class CVariable;
class COutput;
class CdlgVariable;

CVariable* AddInputFromDialog(CProject& project, CDisplay& view, const CdlgVariable& dialog);
COutput* AddOutputFromDialog(CProject& project, CDisplay& view, std::unique_ptr<COutput> output, COLORREF colour);

}  // namespace ks
