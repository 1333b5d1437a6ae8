#include "deck/LogWriter.h"

#include "platform/DateTimeText.h"

#include <QFile>

#include <memory>
#include <mutex>

namespace velmar::deck {

namespace {

std::mutex logLock;
std::unique_ptr<QFile> logFile;

} // namespace

bool OpenLogFile(const QString& path, bool append)
{
    std::lock_guard lock(logLock);
    auto file = std::make_unique<QFile>(path);
    const QIODevice::OpenMode mode = append ? QIODevice::WriteOnly | QIODevice::Append
                                            : QIODevice::WriteOnly | QIODevice::Truncate;
    if (!file->open(mode)) {
        logFile.reset();
        return false;
    }
    logFile = std::move(file);
    return true;
}

bool WriteLogLine(const QString& text, bool withTime)
{
    std::lock_guard lock(logLock);
    if (!logFile)
        return false;
    const QString line = withTime ? QStringLiteral("%1 - %2").arg(
                             platform::FormatTimeStamp(platform::SystemTime::nowUtc()), text)
                                  : text;
    logFile->write(line.toLocal8Bit() + "\r\n");
    logFile->flush();
    return true;
}

void CloseLogFile()
{
    std::lock_guard lock(logLock);
    logFile.reset();
}

} // namespace velmar::deck
