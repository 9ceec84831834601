#include "model/text.h"

#include <cctype>

#include <cstdio>
#include <vector>

namespace ks {
namespace {

// Decodes one UTF-8 sequence at s[i]; advances i. Returns U+FFFD for bad input.
char32_t DecodeUtf8(const std::string& s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int len = 0;
    char32_t cp = 0;
    if (b0 < 0x80) { ++i; return b0; }
    if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; }
    else { ++i; return 0xFFFD; }
    if (i + len > s.size()) { ++i; return 0xFFFD; }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) { ++i; return 0xFFFD; }
        cp = (cp << 6) | (b & 0x3F);
    }
    const bool overlong = (len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { ++i; return 0xFFFD; }
    i += len;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const char32_t cp = DecodeUtf8(s, i);
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cu = s[i];
        if (cu >= 0xD800 && cu <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cu = 0x10000 + ((cu - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cu >= 0xD800 && cu <= 0xDFFF) {
            cu = 0xFFFD;
        }
        AppendUtf8(out, cu);
    }
    return out;
}

std::string TruncateUtf16(const std::string& s, std::size_t maxUnits) {
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t next = i;
        const char32_t cp = DecodeUtf8(s, next);
        const std::size_t need = cp >= 0x10000 ? 2 : 1;
        if (units + need > maxUnits) break;
        units += need;
        i = next;
    }
    return s.substr(0, i);
}

std::string TruncateUtf8Bytes(const std::string& s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    std::size_t cut = maxBytes;
    // Step back over continuation bytes so no sequence is split.
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return s.substr(0, cut);
}

int FirstCharCode(const std::string& s) {
    if (s.empty()) return 0;
    std::size_t i = 0;
    const char32_t cp = DecodeUtf8(s, i);
    if (cp >= 0x10000) return 0xD800 + static_cast<int>((cp - 0x10000) >> 10);
    return static_cast<int>(cp);
}

std::string Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    // Most texts are short: one pass into a buffer here, a second only for a longer one.
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0 && static_cast<std::size_t>(n) < sizeof small) {
        out.assign(small, static_cast<std::size_t>(n));
    } else if (n > 0) {
        out.resize(static_cast<std::size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);  // the terminator goes where the string keeps its own
    }
    va_end(ap2);
    return out;
}

std::string AsciiLower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace ks
