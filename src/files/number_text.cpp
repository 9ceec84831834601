#include "files/number_text.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace ks {

namespace {

// strtod with the whole text read and no leading blank (which strtod skips).
bool ReadDouble(const std::string& text, double& v) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    v = std::strtod(text.c_str(), &end);  // underflow reads as the nearest value; overflow as an infinity
    return end && *end == '\0' && end != text.c_str();
}

std::string Shown(double x) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", x);
    return buf;
}

}  // namespace

std::string ParseIdValue(const std::string& text, int& id, double& value) {
    const std::string notPair = "\"" + text + "\" is not ID=VALUE";
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return notPair;
    const std::string idText = text.substr(0, eq), valueText = text.substr(eq + 1);
    if (std::isspace(static_cast<unsigned char>(idText[0]))) return notPair;
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(idText.c_str(), &end, 10);
    if (*end || errno || n < INT32_MIN || n > INT32_MAX) return notPair;
    double v;
    if (!ReadDouble(valueText, v)) return notPair;
    if (!std::isfinite(v)) return "\"" + valueText + "\" in \"" + text + "\" is not a finite number";
    id = static_cast<int>(n);
    value = v;
    return {};
}

std::string ParseIdValueLine(const std::string& line, std::vector<std::pair<int, double>>& out) {
    out.clear();
    std::size_t at = 0;
    const std::size_t size = !line.empty() && line.back() == '\r' ? line.size() - 1 : line.size();
    while (at < size) {
        while (at < size && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
        std::size_t stop = at;
        while (stop < size && !std::isspace(static_cast<unsigned char>(line[stop]))) ++stop;
        if (stop == at) break;
        int id = 0;
        double value = 0.0;
        if (std::string why = ParseIdValue(line.substr(at, stop - at), id, value); !why.empty()) return why;
        out.emplace_back(id, value);
        at = stop;
    }
    return {};
}

std::string CheckNumberInRange(const std::string& text, double lo, double hi, bool openLow) {
    double v;
    if (ReadDouble(text, v) && std::isfinite(v) && (openLow ? v > lo : v >= lo) && v <= hi) return {};
    return std::string("must be ") + (openLow ? "above " : "between ") + Shown(lo) + (openLow ? " and at most " : " and ") +
           Shown(hi) + " (not " + text + ")";
}

}  // namespace ks
