#pragma once
// Grabbed frames to files and back: BMP files written bottom-up in the
// frame's own depth (24 or 32 bits; other depths as 32), and JPEG files
// through libjpeg-turbo. Callable from any thread; each call is independent.
#include <QImage>
#include <QString>

namespace velmar::video {

enum TJPEGPerformance : int { jpBestQuality, jpBestSpeed };

struct JpegOptions {
    int quality = 100; // 1 to 100
    TJPEGPerformance performance = jpBestQuality;
    bool progressive = false;
};

// The whole BMP file of a picture.
QByteArray EncodeBmp(const QImage& picture);
bool WriteBmpFile(const QImage& picture, const QString& fileName, QString* error);

bool WriteJpegFile(const QImage& picture, const QString& fileName, const JpegOptions& options, QString* error);
// A decoded JPEG file as 24-bit colour; null when it cannot be read.
QImage ReadJpegFile(const QString& fileName, QString* error);

} // namespace velmar::video
