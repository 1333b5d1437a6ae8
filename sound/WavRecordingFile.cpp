#include "sound/WavRecordingFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velmar::sound {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes all of `bytes` at `offset`; the bytes that reached the file, and
// errno set when that is fewer.
qint64 writeAt(int fd, const char* data, qint64 bytes, qint64 offset)
{
    qint64 done = 0;
    while (done < bytes) {
        const ssize_t n = ::pwrite(fd, data + done, std::size_t(bytes - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            break;
        }
        done += n;
    }
    return done;
}

} // namespace

WavRecordingFile::~WavRecordingFile()
{
    if (isOpen())
        close();
}

bool WavRecordingFile::fail()
{
    m_error = systemReason(errno);
    return false;
}

bool WavRecordingFile::create(const QString& path, const WAVHEADER& header)
{
    if (isOpen())
        close();
    m_path = path;
    m_header = header;
    m_header.setDataBytes(0);
    m_written = 0;
    m_error.clear();
    const QByteArray local = QFile::encodeName(path);
    m_fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return fail();
    const QByteArray bytes = m_header.toBytes();
    if (writeAt(m_fd, bytes.constData(), bytes.size(), 0) != bytes.size()) {
        fail();
        ::close(m_fd);
        m_fd = -1;
        ::unlink(local.constData());
        return false;
    }
    return true;
}

bool WavRecordingFile::append(const char* data, qint64 bytes)
{
    if (!isOpen()) {
        m_error = QStringLiteral("The file is not open");
        return false;
    }
    const qint64 n = writeAt(m_fd, data, bytes, WAVHEADER::ByteSize + m_written);
    m_written += n;
    if (n == bytes)
        return true;
    const int error = errno;
    // Part of a frame on disk would shift every later frame by some channels:
    // it goes again, and only whole frames count.
    const qint64 align = std::max<qint64>(1, m_header.BlockAlign);
    m_written -= m_written % align;
    while (::ftruncate(m_fd, off_t(WAVHEADER::ByteSize + m_written)) != 0 && errno == EINTR) {}
    m_error = systemReason(error);
    return false;
}

bool WavRecordingFile::sync()
{
    if (!isOpen())
        return false;
    m_header.setDataBytes(soundBytes());
    const QByteArray bytes = m_header.toBytes();
    if (writeAt(m_fd, bytes.constData(), bytes.size(), 0) != bytes.size())
        return fail();
    // The sound and its count must reach the disk, not only the page cache,
    // for a power cut.
    if (::fdatasync(m_fd) != 0)
        return fail();
    return true;
}

bool WavRecordingFile::close()
{
    if (!isOpen())
        return false;
    bool ok = sync();
    if (::close(m_fd) != 0 && ok)
        ok = fail();
    m_fd = -1;
    return ok;
}

qint64 WavRecordingFile::soundBytes() const
{
    const qint64 align = std::max<qint64>(1, m_header.BlockAlign);
    return std::min(m_written - m_written % align, WAVHEADER::MaxDataBytes - WAVHEADER::MaxDataBytes % align);
}

double WavRecordingFile::seconds() const
{
    return m_header.BytesPerSecond ? double(soundBytes()) / double(m_header.BytesPerSecond) : 0.0;
}

std::optional<double> WavRecordingFile::Repair(const QString& path, QString* error)
{
    auto failed = [error](const QString& why) -> std::optional<double> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return failed(file.errorString());
    WAVHEADER header;
    FileMessage message;
    if (!ReadWavHeader(header, &file, &message) || header.FormatTag != WAVHEADER::FormatPcm
        || header.DataOffset() != WAVHEADER::ByteSize || header.BlockAlign == 0)
        return failed(message.isEmpty() ? QStringLiteral("It is not a recording of this program") : message.text);
    const qint64 onDisk = std::max<qint64>(0, file.size() - WAVHEADER::ByteSize);
    header.setDataBytes(onDisk - onDisk % header.BlockAlign);
    const qint64 bytes = qint64(header.DataSize);
    if (!WriteWavHeader(header, &file) || !file.flush())
        return failed(file.errorString());
    if (file.size() != WAVHEADER::ByteSize + bytes && !file.resize(WAVHEADER::ByteSize + bytes))
        return failed(file.errorString());
    if (::fsync(file.handle()) != 0)
        return failed(systemReason(errno));
    return header.Duration();
}

} // namespace velmar::sound
