#include "files/header_file.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>

#include "files/messages.h"
#include "model/numeric.h"
#include "model/project.h"
#include "model/text.h"

namespace ks {

namespace {

constexpr std::size_t kLineBuffer = 255;  // a line holds at most 254 bytes

// Names enter the header with every space replaced by an underscore.
std::string Sanitise(const std::string& name) {
    std::string s = name;
    std::replace(s.begin(), s.end(), ' ', '_');
    return s;
}

// Formats one line into the fixed buffer, cut at a character boundary when
// too long, and appends it with CR LF.
void Line(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Line(std::string& out, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    const std::string full = [&] {
        va_list ap2;
        va_copy(ap2, ap);
        const int n = std::vsnprintf(nullptr, 0, fmt, ap2);
        va_end(ap2);
        std::string s(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
        if (n > 0) std::vsnprintf(s.data(), s.size() + 1, fmt, ap);
        return s;
    }();
    va_end(ap);
    out += TruncateUtf8Bytes(full, kLineBuffer - 1);
    out += "\r\n";
}

const std::string kBanner = "/" + std::string(89, '*') + "/";

}  // namespace

std::vector<std::string> NamesNotValidInHeader(const CProject& p) {
    std::vector<std::string> bad;
    auto check = [&](const std::string& name) {
        const std::string s = Sanitise(name);
        const bool ok = !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
        });
        if (!ok) bad.push_back(name);
    };
    for (const auto& v : p.m_inputs.m_items) {
        check(v->m_name);
        if (v->m_iType == kDescriptorList)
            for (const auto& item : v->m_items) check(item->text);
    }
    for (const auto& o : p.m_outputs.m_items) check(o->m_name);
    return bad;
}

std::string BuildHeaderText(const CProject& p, int* inputs, int* outputs) {
    std::string out;
    int written = 0;
    Line(out, "//Export File, INPUTS SECTION: %d variables.", p.m_inputs.Count());
    Line(out, "%s", kBanner.c_str());
    for (const auto& v : p.m_inputs.m_items) {
        const std::string name = Sanitise(v->m_name);
        switch (v->m_iType) {
        case kBoolean:
            Line(out, "#define INPUT_%s %d // (type: Boolean) (CurrValue: %d)", name.c_str(), v->m_ID,
                 v->m_dValue == 0.0 ? 0 : 1);
            break;
        case kRangedInteger:
            Line(out, "#define INPUT_%s %d // (type: Ranged Integer) (CurrValue: %d) Range: %d to %d", name.c_str(),
                 v->m_ID, Trunc32(v->m_dValue), Trunc32(v->m_dMin), Trunc32(v->m_dMax));
            break;
        case kRangedDouble:
            Line(out, "#define INPUT_%s %d // (type: Ranged Double) (CurrValue: %.2f) Range: %.2f to %.2f",
                 name.c_str(), v->m_ID, v->m_dValue, v->m_dMin, v->m_dMax);
            break;
        case kDescriptorList:
            Line(out,
                 "#define INPUT_%s %d // (type: Descriptor List = %d Items), Indexed:  0-%d, See below for items...",
                 name.c_str(), v->m_ID, v->ItemCount(), v->ItemCount() - 1);
            for (const auto& item : v->m_items)
                Line(out, "  #define %s_INDEX_%s %d", name.c_str(), Sanitise(item->text).c_str(), item->index);
            break;
        default: break;
        }
        Line(out, "%s", "");
        ++written;
    }
    Line(out, "%s", kBanner.c_str());
    if (inputs) *inputs = written;
    written = 0;
    Line(out, "//Export File, OUTPUTS SECTION: %d outputs.", p.m_outputs.Count());
    Line(out, "%s", kBanner.c_str());
    for (const auto& o : p.m_outputs.m_items) {
        Line(out, "#define OUTPUT_%s %d // ", Sanitise(o->m_name).c_str(), o->m_ID);
        Line(out, "%s", "");
        ++written;
    }
    Line(out, "%s", kBanner.c_str());
    if (outputs) *outputs = written;
    return out;
}

FileResult WriteHeaderFile(const std::string& path, const CProject& project) {
    int inputs = 0, outputs = 0;
    const std::string text = BuildHeaderText(project, &inputs, &outputs);
    FileResult r = WriteFileAtomically(path, text);
    if (!r.ok) {
        r.detail = r.message;
        r.message = msg::kHeaderNotCreated;
        return r;
    }
    r.message = Format(msg::kHeaderWritten, inputs, outputs, path.c_str());
    return r;
}

}  // namespace ks
