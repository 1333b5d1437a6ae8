#pragma once
// FixedText<N>: a text field of a fixed-layout record, N bytes of 8-bit
// characters ending with a null, exactly as it lies in the file.
//
// The raw bytes are kept whole (including whatever follows the null), so a
// record read and written again is byte for byte the same. Plain value type;
// safe from any thread on distinct objects.
#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace velmar::platform {

template <std::size_t N>
struct FixedText {
    static_assert(N >= 1, "a text field holds at least its null");
    static constexpr std::size_t Width = N;

    std::array<char, N> bytes{};

    // The characters before the first null (the whole field when a damaged
    // record holds none; terminate() prevents that after reading).
    std::string_view view() const
    {
        const char* end = static_cast<const char*>(std::memchr(bytes.data(), 0, N));
        return {bytes.data(), end ? std::size_t(end - bytes.data()) : N};
    }

    bool isEmpty() const { return bytes[0] == 0; }

    // Decoded as UTF-8; bytes that are not UTF-8 (texts typed on the old
    // Windows program) are taken as Latin-1 so that nothing is lost.
    QString text() const
    {
        const std::string_view v = view();
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString s = utf8.decode(QByteArrayView(v.data(), qsizetype(v.size())));
        if (utf8.hasError())
            return QString::fromLatin1(v.data(), qsizetype(v.size()));
        return s;
    }

    // Stores the text as UTF-8, cut on a character boundary so that it fits
    // with its null; the rest of the field is zeroed. False when it was cut.
    bool setText(const QString& s)
    {
        const QByteArray utf8 = s.toUtf8();
        qsizetype len = std::min<qsizetype>(utf8.size(), qsizetype(N - 1));
        // Step back over continuation bytes so no character is split.
        if (len < utf8.size())
            while (len > 0 && (uchar(utf8[len]) & 0xC0) == 0x80)
                --len;
        bytes.fill(0);
        std::memcpy(bytes.data(), utf8.constData(), std::size_t(len));
        return len == utf8.size();
    }

    // A damaged record may hold a text without its null: end it inside the
    // field so that no reader runs past it.
    void terminate()
    {
        if (!std::memchr(bytes.data(), 0, N))
            bytes[N - 1] = 0;
    }

    bool operator==(const FixedText&) const = default;
};

// Records are laid out with sizeof of their fields: a text is its bytes only.
static_assert(sizeof(FixedText<33>) == 33);

} // namespace velmar::platform
