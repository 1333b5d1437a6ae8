// BMP headers, capture file names and the set-of-bitmaps reader.
#include "video/ImageFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace velmar::video;

namespace {
QByteArray u32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray bmpFile(int w, int h, char fill)
{
    return BmpHeaders(w, h, 24) + QByteArray(DibImageSize(w, h, 24), fill);
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}
} // namespace

TEST(ImageFiles, BmpHeadersAreBottomUpAndSized)
{
    struct Case {
        int w, h, bits;
        qint64 imageSize;
    } cases[] = {{320, 240, 24, 230400}, {3, 2, 24, 24}, {3, 2, 32, 24}, {1, 1, 24, 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(DibImageSize(c.w, c.h, c.bits), c.imageSize);
        const QByteArray file = BmpHeaders(c.w, c.h, c.bits) + QByteArray(c.imageSize, '\0');
        ASSERT_EQ(BmpHeaders(c.w, c.h, c.bits).size(), 54);
        EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 2), quint32(file.size()));
        const auto layout = ParseBmp(file);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->width, c.w);
        EXPECT_EQ(layout->height, c.h) << "positive height: rows bottom-up";
        EXPECT_EQ(layout->bitCount, c.bits);
        EXPECT_EQ(layout->pixelOffset, 54u);
        EXPECT_EQ(qFromLittleEndian<quint32>(layout->infoHeader.constData() + 20), quint32(c.imageSize));
    }
    EXPECT_FALSE(ParseBmp(QByteArray()));
    EXPECT_FALSE(ParseBmp(QByteArray(60, 'x')));
    QByteArray pastEnd = BmpHeaders(2, 2, 24);
    qToLittleEndian<quint32>(1000, pastEnd.data() + 10);
    EXPECT_FALSE(ParseBmp(pastEnd)) << "pixels beyond the file";
}

TEST(ImageFiles, CaptureFileNamesGetTheirExtension)
{
    QTemporaryDir dir;
    const QString base = dir.path();
    struct Case {
        QString name, ext, expected;
    } cases[] = {
        {base + "/a", "jpg", base + "/a.jpg"},
        {base + "/a.jpeg", "jpg", base + "/a.jpg"},
        {base + "/a.JPG", "jpg", base + "/a.JPG"},
        {base + "/a.b/c", "bmp", base + "/a.b/c.bmp"},
        {base + "/new/sub/d.txt", "bmp", base + "/new/sub/d.bmp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FixCaptureFileName(c.name, c.ext, nullptr), c.expected) << c.name.toStdString();
    EXPECT_TRUE(QDir(base + "/new/sub").exists());

    writeFile(dir, "file", "x");
    QString error;
    EXPECT_EQ(FixCaptureFileName(base + "/file/inside/x", "bmp", &error), QString());
    EXPECT_EQ(error, "cannot create directory: " + base + "/file/inside");
}

TEST(ImageFiles, SetOfBitmapsPlaysAndRepeats)
{
    QTemporaryDir dir;
    const QByteArray a = bmpFile(4, 2, 'a'), b = bmpFile(4, 2, 'b');
    const QString path = writeFile(dir, "set.tmp", u32(2) + u32(a.size()) + a + u32(b.size()) + b);
    SetOfBitmapsReader reader;
    QString error;
    ASSERT_TRUE(reader.open(path, &error));
    EXPECT_EQ(reader.count(), 2);
    EXPECT_EQ(reader.format(&error).size(), bmpInfoHeaderSize);
    QByteArray sample(DibImageSize(4, 2, 24), '\0');
    bool end = false;
    for (char expected : {'a', 'b'}) {
        ASSERT_TRUE(reader.nextFrame(sample.data(), sample.size(), false, &end, &error));
        EXPECT_FALSE(end);
        EXPECT_EQ(sample, QByteArray(sample.size(), expected));
    }
    ASSERT_TRUE(reader.nextFrame(sample.data(), sample.size(), false, &end, &error));
    EXPECT_TRUE(end);
    ASSERT_TRUE(reader.nextFrame(sample.data(), sample.size(), true, &end, &error));
    EXPECT_FALSE(end);
    EXPECT_EQ(sample.at(0), 'a') << "repeats from the first picture";

    // A sample larger than the picture takes only the picture's pixels.
    QByteArray large(sample.size() * 3, 'z');
    ASSERT_TRUE(reader.nextFrame(large.data(), large.size(), true, &end, &error));
    EXPECT_EQ(large.left(sample.size()), QByteArray(sample.size(), 'b'));
    EXPECT_EQ(large.mid(sample.size()), QByteArray(sample.size() * 2, 'z'));
}

TEST(ImageFiles, SetOfBitmapsWithBadLengthsIsRefused)
{
    QTemporaryDir dir;
    const QByteArray a = bmpFile(4, 2, 'a');
    struct Case {
        const char* legend;
        QByteArray bytes;
    } cases[] = {
        {"length 14", u32(1) + u32(14) + a.left(14)},
        {"length 0", u32(1) + u32(0) + a},
        {"negative length", u32(1) + u32(0xFFFFFFF0u) + a},
        {"length beyond the file", u32(1) + u32(a.size() + 1) + a},
        {"truncated length", u32(1) + QByteArray(2, '\1')},
        {"pixel offset beyond the picture",
         [&] {
             QByteArray bad = a;
             qToLittleEndian<quint32>(quint32(a.size() + 10), bad.data() + 10);
             return u32(1) + u32(bad.size()) + bad;
         }()},
    };
    for (const Case& c : cases) {
        SetOfBitmapsReader reader;
        QString error;
        ASSERT_TRUE(reader.open(writeFile(dir, "bad.tmp", c.bytes), &error)) << c.legend;
        EXPECT_TRUE(reader.format(&error).isEmpty()) << c.legend;
        QByteArray sample(64, '\0');
        bool end = false;
        error.clear();
        EXPECT_FALSE(reader.nextFrame(sample.data(), sample.size(), true, &end, &error)) << c.legend;
        EXPECT_FALSE(error.isEmpty()) << c.legend;
    }
    SetOfBitmapsReader reader;
    EXPECT_FALSE(reader.open(writeFile(dir, "empty.tmp", {}), nullptr));
}

TEST(ImageFiles, PicturesSortByNameOrByTime)
{
    QTemporaryDir dir;
    const QDateTime t0 = QDateTime::currentDateTime().addSecs(-100);
    const QStringList names{"b.bmp", "a.jpg", "c.bmp"};
    const int ages[] = {10, 30, 20}; // a is newest, then c, then b
    for (int i = 0; i < 3; ++i) {
        QFile f(writeFile(dir, names[i], "x"));
        f.open(QIODevice::ReadWrite);
        f.setFileTime(t0.addSecs(ages[i]), QFileDevice::FileModificationTime);
    }
    writeFile(dir, "notes.txt", "x");
    const auto order = [&](TFileSort sort) {
        QStringList out;
        for (const QString& p : SortedPictureFiles(dir.path(), sort))
            out.append(QFileInfo(p).fileName());
        return out;
    };
    EXPECT_EQ(order(fs_NameAsc), QStringList({"a.jpg", "b.bmp", "c.bmp"}));
    EXPECT_EQ(order(fs_NameDesc), QStringList({"c.bmp", "b.bmp", "a.jpg"}));
    EXPECT_EQ(order(fs_TimeAsc), QStringList({"b.bmp", "c.bmp", "a.jpg"}));
    EXPECT_EQ(order(fs_TimeDesc), QStringList({"a.jpg", "c.bmp", "b.bmp"}));
}
