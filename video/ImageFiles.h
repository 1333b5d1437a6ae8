#pragma once
// Picture files of the video component: BMP headers (bottom-up DIBs),
// capture file names, and the set-of-bitmaps file that plays a folder of
// pictures as video. Pure logic on QtCore; callable from any thread, one
// reader per thread.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmar::video {

constexpr int bmpFileHeaderSize = 14;
constexpr int bmpInfoHeaderSize = 40;

// Bytes of a DIB's pixels: rows of width x bits rounded up to 32-bit words.
qint64 DibImageSize(int width, int height, int bitCount);

// File header and BITMAPINFOHEADER of an uncompressed bottom-up BMP whose
// pixels follow at once.
QByteArray BmpHeaders(int width, int height, int bitCount);

struct BmpLayout {
    int width = 0;
    int height = 0; // negative: top-down rows
    int bitCount = 0;
    quint32 pixelOffset = 0;
    QByteArray infoHeader; // the 40-byte BITMAPINFOHEADER
    QByteArray bitmapInfo; // from the info header to the pixels (header and colour table)
};
// The layout of a complete BMP file; none when it is not one or its parts
// lie beyond its end.
std::optional<BmpLayout> ParseBmp(const QByteArray& file);

// A file name given for a capture with its extension fixed ("bmp" or "jpg"):
// no extension gets one, another one is replaced, the same one in any case
// is kept. The folder is made when missing; empty with `error` set when it
// cannot be.
QString FixCaptureFileName(const QString& name, const QString& ext, QString* error);

enum TFileSort : int { fs_TimeAsc, fs_TimeDesc, fs_NameAsc, fs_NameDesc };

// The BMP and JPEG files of a folder in the order asked for: by name
// compares by character code, by time uses the files' modification time.
QStringList SortedPictureFiles(const QString& folder, TFileSort sort);

// Reads a set-of-bitmaps file: a 32-bit count, then per picture a 32-bit
// little-endian length and a complete BMP file of that length.
class SetOfBitmapsReader {
public:
    bool open(const QString& fileName, QString* error);
    // The first picture's BITMAPINFO; empty when the file is not usable.
    QByteArray format(QString* error);
    // Fills `sample` with the next picture's pixels (as many as both hold).
    // At the end of the file it starts again; `endOfData` is set when
    // `repeat` is off. False when the file is damaged.
    bool nextFrame(char* sample, qint64 sampleSize, bool repeat, bool* endOfData, QString* error);
    qint32 count() const { return m_count; }

private:
    std::optional<QByteArray> readPicture(QString* error);
    QFile m_file;
    qint32 m_count = 0;
};

} // namespace velmar::video
