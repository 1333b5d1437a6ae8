#pragma once
// The one way the programs read and write fixed-layout records (settings
// blocks, detector records, file headers): every field little-endian, at the
// offset or in the order the record's layout gives, whatever the host, and no
// struct is ever cast over bytes.
//
// loadLe/storeLe work on a field at a pointer. RecordReader and RecordWriter
// walk a record field by field; a reader that runs past the end of its bytes
// reads zeros from then on and says so in ok(), so a short record is refused
// by its caller instead of read from memory that is not its own.
#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include <QByteArray>

namespace velmar::platform {

template <typename T>
concept RecordNumber = std::is_arithmetic_v<T> && !std::is_same_v<T, bool>;

template <RecordNumber T>
T loadLe(const void* at)
{
    using U = std::make_unsigned_t<
        std::conditional_t<std::is_floating_point_v<T>, std::conditional_t<sizeof(T) == 4, int32_t, int64_t>, T>>;
    const auto* p = static_cast<const uint8_t*>(at);
    U v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v = U(v | (U(p[i]) << (8 * i)));
    return std::bit_cast<T>(v);
}

template <RecordNumber T>
void storeLe(void* at, T value)
{
    using U = std::make_unsigned_t<
        std::conditional_t<std::is_floating_point_v<T>, std::conditional_t<sizeof(T) == 4, int32_t, int64_t>, T>>;
    auto* p = static_cast<uint8_t*>(at);
    const U v = std::bit_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// Stores a run of numbers one after another, such as a block of samples; on a
// little-endian host that is a single copy.
template <RecordNumber T>
void storeLeArray(void* at, const T* values, std::size_t count)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (count)
            std::memcpy(at, values, count * sizeof(T));
    } else {
        auto* p = static_cast<uint8_t*>(at);
        for (std::size_t i = 0; i < count; ++i)
            storeLe(p + i * sizeof(T), values[i]);
    }
}

// Reads a record in the order of its fields.
class RecordReader {
public:
    RecordReader(const void* data, std::size_t size) : m_data(static_cast<const uint8_t*>(data)), m_size(size) {}
    explicit RecordReader(const QByteArray& bytes) : RecordReader(bytes.constData(), std::size_t(bytes.size())) {}

    template <RecordNumber T>
    RecordReader& operator>>(T& value)
    {
        std::array<uint8_t, sizeof(T)> field{};
        take(field.data(), sizeof(T));
        value = loadLe<T>(field.data());
        return *this;
    }

    // A run of bytes kept as it is stored (text, reserved space).
    template <typename T, std::size_t N>
    requires(sizeof(T) == 1) RecordReader& operator>>(std::array<T, N>& bytes)
    {
        take(bytes.data(), N);
        return *this;
    }

    void readBytes(void* out, std::size_t n) { take(out, n); }
    void skip(std::size_t n) { m_pos += n; }

    std::size_t position() const { return m_pos; }
    // False once a field ran past the end of the bytes.
    bool ok() const { return m_pos <= m_size; }

private:
    void take(void* out, std::size_t n)
    {
        const std::size_t have = m_pos < m_size ? std::min(n, m_size - m_pos) : 0;
        if (have)
            std::memcpy(out, m_data + m_pos, have);
        if (have < n)
            std::memset(static_cast<uint8_t*>(out) + have, 0, n - have);
        m_pos += n;
    }

    const uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Writes a record in the order of its fields.
class RecordWriter {
public:
    explicit RecordWriter(std::size_t expectedSize = 0) { m_bytes.reserve(qsizetype(expectedSize)); }

    template <RecordNumber T>
    RecordWriter& operator<<(T value)
    {
        std::array<uint8_t, sizeof(T)> field{};
        storeLe(field.data(), value);
        put(field.data(), sizeof(T));
        return *this;
    }

    template <typename T, std::size_t N>
    requires(sizeof(T) == 1) RecordWriter& operator<<(const std::array<T, N>& bytes)
    {
        put(bytes.data(), N);
        return *this;
    }

    void writeBytes(const void* data, std::size_t n) { put(data, n); }

    const QByteArray& bytes() const { return m_bytes; }

private:
    void put(const void* data, std::size_t n) { m_bytes.append(static_cast<const char*>(data), qsizetype(n)); }

    QByteArray m_bytes;
};

} // namespace velmar::platform
