#pragma once
// Text helpers. Names are held as UTF-8; files keep them as UTF-16LE in
// fixed fields, so limits are counted in UTF-16 code units.
#include <cstdarg>
#include <cstddef>
#include <string>

namespace ks {

std::u16string Utf8ToUtf16(const std::string& s);   // invalid bytes become U+FFFD
std::string Utf16ToUtf8(const std::u16string& s);   // lone surrogates become U+FFFD

// The longest prefix of s with at most maxUnits UTF-16 code units that does
// not split a character.
std::string TruncateUtf16(const std::string& s, std::size_t maxUnits);

// The longest prefix of s with at most maxBytes bytes that does not split a
// UTF-8 sequence.
std::string TruncateUtf8Bytes(const std::string& s, std::size_t maxBytes);

// The first UTF-16 code unit of s, 0 when s is empty.
int FirstCharCode(const std::string& s);

// s with the ASCII letters in lower case (other bytes unchanged): the key for
// comparisons that ignore letter case.
std::string AsciiLower(std::string s);

// printf into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ks
