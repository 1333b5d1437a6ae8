#include "ImageFiles.h"

#include "platform/RecordIO.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace velmar::video {

namespace {
constexpr int countFieldSize = 4;
constexpr int lengthFieldSize = 4;
} // namespace

qint64 DibImageSize(int width, int height, int bitCount)
{
    const qint64 rowBytes = ((qint64(width) * bitCount + 31) / 32) * 4;
    return rowBytes * std::abs(height);
}

QByteArray BmpHeaders(int width, int height, int bitCount)
{
    QByteArray b(bmpFileHeaderSize + bmpInfoHeaderSize, '\0');
    const qint64 imageSize = DibImageSize(width, height, bitCount);
    b[0] = 'B';
    b[1] = 'M';
    char* p = b.data();
    platform::storeLe(p + 2, quint32(b.size() + imageSize));
    platform::storeLe(p + 10, quint32(b.size()));
    platform::storeLe(p + 14, quint32(bmpInfoHeaderSize));
    platform::storeLe(p + 18, qint32(width));
    platform::storeLe(p + 22, qint32(height));
    platform::storeLe(p + 26, quint16(1));
    platform::storeLe(p + 28, quint16(bitCount));
    platform::storeLe(p + 34, quint32(imageSize));
    return b;
}

std::optional<BmpLayout> ParseBmp(const QByteArray& file)
{
    if (file.size() < bmpFileHeaderSize + bmpInfoHeaderSize || !file.startsWith("BM"))
        return std::nullopt;
    BmpLayout l;
    const char* f = file.constData();
    l.pixelOffset = platform::loadLe<quint32>(f + 10);
    const quint32 infoSize = platform::loadLe<quint32>(f + 14);
    if (infoSize < bmpInfoHeaderSize || l.pixelOffset < bmpFileHeaderSize + infoSize
        || l.pixelOffset > quint32(file.size()))
        return std::nullopt;
    l.width = platform::loadLe<qint32>(f + 18);
    l.height = platform::loadLe<qint32>(f + 22);
    l.bitCount = platform::loadLe<quint16>(f + 28);
    l.infoHeader = file.mid(bmpFileHeaderSize, bmpInfoHeaderSize);
    l.bitmapInfo = file.mid(bmpFileHeaderSize, qsizetype(l.pixelOffset) - bmpFileHeaderSize);
    return l;
}

QString FixCaptureFileName(const QString& name, const QString& ext, QString* error)
{
    const QFileInfo info(name);
    const QString folder = info.absolutePath();
    if (name.contains(QLatin1Char('/')) && !QDir(folder).exists()) {
        QDir().mkpath(folder);
        if (!QDir(folder).exists()) {
            if (error)
                *error = QStringLiteral("cannot create directory: ") + folder;
            return QString();
        }
    }
    QString fixed = info.absoluteFilePath();
    const qsizetype slash = fixed.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fixed.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        return fixed + QLatin1Char('.') + ext;
    if (fixed.mid(dot + 1).toLower() != ext)
        fixed = fixed.left(dot + 1) + ext;
    return fixed;
}

QStringList SortedPictureFiles(const QString& folder, TFileSort sort)
{
    const QStringList filters{QStringLiteral("*.bmp"), QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"),
                              QStringLiteral("*.jpe")};
    QFileInfoList files = QDir(folder).entryInfoList(filters, QDir::Files | QDir::CaseSensitive);
    files += QDir(folder).entryInfoList(
        {QStringLiteral("*.BMP"), QStringLiteral("*.JPG"), QStringLiteral("*.JPEG"), QStringLiteral("*.JPE")},
        QDir::Files | QDir::CaseSensitive);
    const auto byName = [](const QFileInfo& a, const QFileInfo& b) { return a.fileName() < b.fileName(); };
    const auto byTime = [&](const QFileInfo& a, const QFileInfo& b) {
        const QDateTime ta = a.lastModified(), tb = b.lastModified();
        return ta == tb ? byName(a, b) : ta < tb;
    };
    switch (sort) {
    case fs_TimeAsc: std::stable_sort(files.begin(), files.end(), byTime); break;
    case fs_TimeDesc: std::stable_sort(files.rbegin(), files.rend(), byTime); break;
    case fs_NameAsc: std::stable_sort(files.begin(), files.end(), byName); break;
    case fs_NameDesc: std::stable_sort(files.rbegin(), files.rend(), byName); break;
    }
    QStringList names;
    for (const QFileInfo& f : files)
        names.append(f.absoluteFilePath());
    names.removeDuplicates();
    return names;
}

bool SetOfBitmapsReader::open(const QString& fileName, QString* error)
{
    m_file.close();
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open ") + fileName;
        return false;
    }
    const QByteArray head = m_file.read(countFieldSize);
    if (head.size() != countFieldSize) {
        if (error)
            *error = QStringLiteral("not a set of bitmaps: ") + fileName;
        m_file.close();
        return false;
    }
    m_count = platform::loadLe<qint32>(head.constData());
    return true;
}

std::optional<QByteArray> SetOfBitmapsReader::readPicture(QString* error)
{
    const QByteArray lengthField = m_file.read(lengthFieldSize);
    const auto fail = [&](const QString& why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (lengthField.size() != lengthFieldSize)
        return fail(QStringLiteral("set of bitmaps: truncated length"));
    // A length that cannot hold even a file header, or that runs past the
    // end, marks a damaged file: nothing is read from beyond the picture.
    const qint32 length = platform::loadLe<qint32>(lengthField.constData());
    if (length <= bmpFileHeaderSize || length > m_file.size() - m_file.pos())
        return fail(QStringLiteral("set of bitmaps: bad picture length ") + QString::number(length));
    QByteArray picture = m_file.read(length);
    if (picture.size() != length)
        return fail(QStringLiteral("set of bitmaps: truncated picture"));
    return picture;
}

QByteArray SetOfBitmapsReader::format(QString* error)
{
    if (!m_file.isOpen() || !m_file.seek(countFieldSize))
        return {};
    const auto picture = readPicture(error);
    m_file.seek(countFieldSize);
    if (!picture)
        return {};
    const auto layout = ParseBmp(*picture);
    if (!layout) {
        if (error)
            *error = QStringLiteral("set of bitmaps: the first picture is not a bitmap");
        return {};
    }
    return layout->bitmapInfo;
}

bool SetOfBitmapsReader::nextFrame(char* sample, qint64 sampleSize, bool repeat, bool* endOfData, QString* error)
{
    if (endOfData)
        *endOfData = false;
    if (!m_file.isOpen())
        return false;
    if (m_file.atEnd()) {
        m_file.seek(countFieldSize);
        if (!repeat) {
            if (endOfData)
                *endOfData = true;
            return true;
        }
    }
    const auto picture = readPicture(error);
    if (!picture)
        return false;
    const auto layout = ParseBmp(*picture);
    if (!layout) {
        if (error)
            *error = QStringLiteral("set of bitmaps: a picture is not a bitmap");
        return false;
    }
    const qint64 available = picture->size() - qint64(layout->pixelOffset);
    const qint64 n = std::min(available, sampleSize);
    if (n > 0)
        std::memcpy(sample, picture->constData() + layout->pixelOffset, size_t(n));
    return true;
}

} // namespace velmar::video
