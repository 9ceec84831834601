#pragma once
// Little-endian byte streams for the fixed-record file formats. The reader
// checks every read against the bytes that remain and remembers the first
// offset that failed, so a damaged file is refused with a precise place.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ks {

class ByteWriter {
public:
    void I32(std::int32_t v);
    void F64(double v);
    void U8(std::uint8_t v) { m_bytes.push_back(v); }
    void Fill(std::size_t n, std::uint8_t value) { m_bytes.insert(m_bytes.end(), n, value); }
    // A text field of `units` UTF-16LE code units: at most units - 1
    // characters, a terminator, zeros after it.
    void Text16(const std::string& utf8, std::size_t units);
    // Overwrites bytes already written (records are filled, then stored).
    void PutI32At(std::size_t offset, std::int32_t v);
    void PutF64At(std::size_t offset, double v);
    void PutU8At(std::size_t offset, std::uint8_t v) { m_bytes[offset] = v; }
    void PutText16At(std::size_t offset, const std::string& utf8, std::size_t units);

    std::size_t Size() const { return m_bytes.size(); }
    void Reserve(std::size_t total) { m_bytes.reserve(total); }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Seek(std::uint64_t offset);
    std::int32_t I32();
    double F64();
    std::uint8_t U8();
    // Text of a field of `units` UTF-16 code units, up to its terminator or
    // the end of the field.
    std::string Text16(std::size_t units);
    void Skip(std::size_t n);
    // A record of n bytes, for reading fields at fixed offsets.
    ByteReader Record(std::size_t n);

    std::uint64_t Offset() const { return m_pos; }
    std::uint64_t Remaining() const { return m_pos <= m_size ? m_size - m_pos : 0; }
    bool Ok() const { return !m_failed; }
    // Where the first read failed (or where a caller declared the data bad).
    std::uint64_t FailedAt() const { return m_failedAt; }
    std::string Problem() const { return m_problem; }
    void Fail(const std::string& problem, std::uint64_t at);

    // Field readers at offsets within this reader (for records).
    std::int32_t I32At(std::size_t offset) const;
    double F64At(std::size_t offset) const;
    std::uint8_t U8At(std::size_t offset) const;
    std::string Text16At(std::size_t offset, std::size_t units) const;

private:
    bool Need(std::size_t n);

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::uint64_t m_pos = 0;
    std::uint64_t m_base = 0;  // offset of this reader's data in the whole file
    bool m_failed = false;
    std::uint64_t m_failedAt = 0;
    std::string m_problem;
};

}  // namespace ks
