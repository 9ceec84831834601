#include "files/byte_io.h"

#include <cstring>

#include "model/text.h"

namespace ks {

namespace {
void PutLE32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutLE64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t GetLE32(const std::uint8_t* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
std::uint64_t GetLE64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}
// The UTF-16 units of a text field: at most units - 1, cut at a character boundary.
std::u16string FieldUnits(const std::string& utf8, std::size_t units) {
    return Utf8ToUtf16(TruncateUtf16(utf8, units == 0 ? 0 : units - 1));
}
std::string DecodeField(const std::uint8_t* p, std::size_t units) {
    std::u16string s;
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t c = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
        if (c == 0) break;
        s += c;
    }
    return Utf16ToUtf8(s);
}
}  // namespace

void ByteWriter::I32(std::int32_t v) {
    const std::size_t at = m_bytes.size();
    m_bytes.resize(at + 4);
    PutLE32(&m_bytes[at], static_cast<std::uint32_t>(v));
}

void ByteWriter::F64(double v) {
    const std::size_t at = m_bytes.size();
    m_bytes.resize(at + 8);
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    PutLE64(&m_bytes[at], bits);
}

void ByteWriter::Text16(const std::string& utf8, std::size_t units) {
    const std::size_t at = m_bytes.size();
    m_bytes.resize(at + 2 * units, 0);
    PutText16At(at, utf8, units);
}

void ByteWriter::PutI32At(std::size_t offset, std::int32_t v) { PutLE32(&m_bytes[offset], static_cast<std::uint32_t>(v)); }

void ByteWriter::PutF64At(std::size_t offset, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    PutLE64(&m_bytes[offset], bits);
}

void ByteWriter::PutText16At(std::size_t offset, const std::string& utf8, std::size_t units) {
    const std::u16string s = FieldUnits(utf8, units);
    std::memset(&m_bytes[offset], 0, 2 * units);
    for (std::size_t i = 0; i < s.size(); ++i) {
        m_bytes[offset + 2 * i] = static_cast<std::uint8_t>(s[i] & 0xFF);
        m_bytes[offset + 2 * i + 1] = static_cast<std::uint8_t>(s[i] >> 8);
    }
}

void ByteReader::Fail(const std::string& problem, std::uint64_t at) {
    if (m_failed) return;
    m_failed = true;
    m_failedAt = at;
    m_problem = problem;
}

bool ByteReader::Need(std::size_t n) {
    if (m_failed) return false;
    if (Remaining() < n) {
        Fail("the file ends in the middle of a record", m_base + m_pos);
        return false;
    }
    return true;
}

bool ByteReader::Seek(std::uint64_t offset) {
    if (m_failed) return false;
    if (offset > m_size) {
        Fail("the file ends before a section that should follow", m_base + m_size);
        return false;
    }
    m_pos = offset;
    return true;
}

std::int32_t ByteReader::I32() {
    if (!Need(4)) return 0;
    const auto v = static_cast<std::int32_t>(GetLE32(m_data + m_pos));
    m_pos += 4;
    return v;
}

double ByteReader::F64() {
    if (!Need(8)) return 0.0;
    const std::uint64_t bits = GetLE64(m_data + m_pos);
    m_pos += 8;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::uint8_t ByteReader::U8() {
    if (!Need(1)) return 0;
    return m_data[m_pos++];
}

std::string ByteReader::Text16(std::size_t units) {
    if (!Need(2 * units)) return {};
    std::string s = DecodeField(m_data + m_pos, units);
    m_pos += 2 * units;
    return s;
}

void ByteReader::Skip(std::size_t n) {
    if (Need(n)) m_pos += n;
}

ByteReader ByteReader::Record(std::size_t n) {
    static const std::uint8_t kEmpty[1] = {0};
    if (!Need(n)) {
        ByteReader bad(kEmpty, 0);
        bad.m_failed = true;
        return bad;
    }
    ByteReader r(m_data + m_pos, n);
    r.m_base = m_base + m_pos;
    m_pos += n;
    return r;
}

std::int32_t ByteReader::I32At(std::size_t offset) const {
    return offset + 4 <= m_size ? static_cast<std::int32_t>(GetLE32(m_data + offset)) : 0;
}

double ByteReader::F64At(std::size_t offset) const {
    if (offset + 8 > m_size) return 0.0;
    const std::uint64_t bits = GetLE64(m_data + offset);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::uint8_t ByteReader::U8At(std::size_t offset) const { return offset < m_size ? m_data[offset] : 0; }

std::string ByteReader::Text16At(std::size_t offset, std::size_t units) const {
    if (offset + 2 * units > m_size) return {};
    return DecodeField(m_data + offset, units);
}

}  // namespace ks
