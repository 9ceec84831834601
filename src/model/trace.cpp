#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "model/prompt.h"

namespace ks {

void Trace(const char* fmt, ...) {
    static const bool enabled = std::getenv("KESTRINE_TRACE") != nullptr;
    if (!enabled) return;
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(stderr, fmt, ap);
    va_end(ap);
}

}  // namespace ks
