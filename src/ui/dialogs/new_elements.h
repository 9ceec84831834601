#pragma once
// What a confirmed input dialog gives the session.
#include "session/session.h"

namespace ks {

class CdlgVariable;

InputSpec InputSpecFromDialog(const CdlgVariable& dialog);

}  // namespace ks
