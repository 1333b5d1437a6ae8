#include "PictureCodec.h"

#include "ImageFiles.h"

#include <QFile>
#include <QSaveFile>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace velmar::video {

namespace {

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->text);
    std::longjmp(error->jump, 1);
}

void jpegSilence(j_common_ptr, int)
{
}

jpeg_error_mgr* jpegErrors(JpegError& error)
{
    jpeg_error_mgr* manager = jpeg_std_error(&error.manager);
    manager->error_exit = jpegErrorExit;
    manager->emit_message = jpegSilence;
    error.text[0] = 0;
    return manager;
}

// The library's message of a failed call, after its jump back.
bool jpegFailed(const JpegError& error, char* text)
{
    std::strncpy(text, error.text, JMSG_LENGTH_MAX);
    return false;
}

// Plain C work between setjmp and longjmp: no object with a destructor
// lives in these frames.
bool compressRows(std::FILE* file, const unsigned char* rgb, int width, int height, const JpegOptions& o, char* text)
{
    jpeg_compress_struct info;
    JpegError error;
    info.err = jpegErrors(error);
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return jpegFailed(error, text);
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, o.quality, TRUE);
    if (o.performance == jpBestSpeed) {
        info.dct_method = JDCT_IFAST;
    } else {
        info.dct_method = JDCT_ISLOW;
        info.optimize_coding = TRUE;
    }
    if (o.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const size_t rowBytes = size_t(width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + size_t(info.next_scanline) * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

bool decompressFile(std::FILE* file, std::vector<unsigned char>* pixels, int* width, int* height, char* text)
{
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpegErrors(error);
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return jpegFailed(error, text);
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    *width = int(info.output_width);
    *height = int(info.output_height);
    const size_t rowBytes = size_t(info.output_width) * 3;
    pixels->resize(rowBytes * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels->data() + size_t(info.output_scanline) * rowBytes;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

QByteArray EncodeBmp(const QImage& picture)
{
    const bool keep24 = picture.format() == QImage::Format_BGR888;
    const QImage source = keep24 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    const int bitCount = keep24 ? 24 : 32;
    const int width = source.width();
    const int height = source.height();
    QByteArray file = BmpHeaders(width, height, bitCount);
    const qsizetype rowBytes = qsizetype(DibImageSize(width, 1, bitCount));
    const qsizetype used = qsizetype(width) * (bitCount / 8);
    const qsizetype headers = file.size();
    file.resize(headers + rowBytes * height, '\0');
    // Bottom-up rows, each padded to whole 32-bit words.
    for (int y = 0; y < height; ++y)
        std::memcpy(file.data() + headers + qsizetype(height - 1 - y) * rowBytes, source.constScanLine(y),
                    size_t(used));
    return file;
}

bool WriteBmpFile(const QImage& picture, const QString& fileName, QString* error)
{
    if (picture.isNull() || fileName.isEmpty()) {
        setError(error, QStringLiteral("nothing to write"));
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, file.errorString());
        return false;
    }
    file.write(EncodeBmp(picture));
    if (!file.commit()) {
        setError(error, file.errorString());
        return false;
    }
    return true;
}

bool WriteJpegFile(const QImage& picture, const QString& fileName, const JpegOptions& options, QString* error)
{
    if (picture.isNull() || fileName.isEmpty()) {
        setError(error, QStringLiteral("nothing to write"));
        return false;
    }
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    std::vector<unsigned char> rows(size_t(rgb.width()) * 3 * size_t(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(rows.data() + size_t(y) * size_t(rgb.width()) * 3, rgb.constScanLine(y), size_t(rgb.width()) * 3);
    const QString partial = fileName + QStringLiteral(".part");
    std::FILE* file = std::fopen(QFile::encodeName(partial).constData(), "wb");
    if (!file) {
        setError(error, QStringLiteral("cannot create file: ") + fileName);
        return false;
    }
    char text[JMSG_LENGTH_MAX] = {};
    const bool compressed = compressRows(file, rows.data(), rgb.width(), rgb.height(), options, text);
    const bool closed = std::fclose(file) == 0;
    if (!compressed || !closed) {
        QFile::remove(partial);
        setError(error, compressed ? QStringLiteral("cannot write file: ") + fileName : QString::fromLocal8Bit(text));
        return false;
    }
    // The whole picture appears at once under its name.
    QFile::remove(fileName);
    if (!QFile::rename(partial, fileName)) {
        QFile::remove(partial);
        setError(error, QStringLiteral("cannot write file: ") + fileName);
        return false;
    }
    return true;
}

QImage ReadJpegFile(const QString& fileName, QString* error)
{
    std::FILE* file = std::fopen(QFile::encodeName(fileName).constData(), "rb");
    if (!file) {
        setError(error, QStringLiteral("cannot open file: ") + fileName);
        return {};
    }
    std::vector<unsigned char> pixels;
    int width = 0, height = 0;
    char text[JMSG_LENGTH_MAX] = {};
    const bool ok = decompressFile(file, &pixels, &width, &height, text);
    std::fclose(file);
    if (!ok || width <= 0 || height <= 0) {
        setError(error, QString::fromLocal8Bit(text));
        return {};
    }
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.scanLine(y), pixels.data() + size_t(y) * size_t(width) * 3, size_t(width) * 3);
    return picture;
}

} // namespace velmar::video
