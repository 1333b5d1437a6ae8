// Field layouts checked against bytes written out by hand from the
// little-endian IEEE and two's-complement encodings (the same values Python's
// struct.pack('<ihHfdB', ...) gives).
#include "platform/RecordIO.h"

#include <gtest/gtest.h>

#include <array>

using velmar::platform::RecordReader;
using velmar::platform::RecordWriter;

namespace {

const QByteArray Reference = QByteArray::fromHex("feffffff"         // int32 -2
                                                 "0080"             // int16 -32768
                                                 "3412"             // uint16 0x1234
                                                 "0000c03f"         // float 1.5
                                                 "000000000000f03f" // double 1.0
                                                 "7f"               // uint8 127
                                                 "414200");         // three bytes kept as stored

} // namespace

TEST(RecordIO, WriterAndReaderFollowTheLittleEndianLayout)
{
    const std::array<char, 3> text{'A', 'B', '\0'};
    RecordWriter out;
    out << int32_t(-2) << int16_t(-32768) << uint16_t(0x1234) << 1.5f << 1.0 << uint8_t(127) << text;
    EXPECT_EQ(out.bytes().toHex(), Reference.toHex());

    RecordReader in(Reference);
    int32_t a = 0;
    int16_t b = 0;
    uint16_t c = 0;
    float d = 0;
    double e = 0;
    uint8_t f = 0;
    std::array<char, 3> g{};
    in >> a >> b >> c >> d >> e >> f >> g;
    EXPECT_TRUE(in.ok());
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, -32768);
    EXPECT_EQ(c, 0x1234);
    EXPECT_EQ(d, 1.5f);
    EXPECT_EQ(e, 1.0);
    EXPECT_EQ(f, 127);
    EXPECT_EQ(g, text);
    EXPECT_EQ(in.position(), std::size_t(Reference.size()));

    // Loads and stores at an offset agree with the same bytes.
    EXPECT_EQ(velmar::platform::loadLe<uint16_t>(Reference.constData() + 6), 0x1234);
    std::array<uint8_t, 8> one{};
    velmar::platform::storeLe(one.data(), 1.0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(one.data()), 8).toHex(), "000000000000f03f");
}

TEST(RecordIO, AShortRecordReadsZerosAndSaysSo)
{
    const QByteArray shortRecord = QByteArray::fromHex("0102");
    RecordReader in(shortRecord);
    uint16_t first = 0;
    uint32_t second = 7;
    in >> first;
    EXPECT_TRUE(in.ok());
    in >> second;
    EXPECT_FALSE(in.ok());
    EXPECT_EQ(first, 0x0201);
    EXPECT_EQ(second, 0u);
}
