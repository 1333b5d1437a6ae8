#include "nmeaserver/DumpFile.h"

#include "platform/DateTimeText.h"
#include "platform/Folders.h"

#include <QDir>

namespace velmar::nmeaserver {

DumpFile::~DumpFile()
{
    close();
}

QString DumpFile::pathFor(const QString& directory, const platform::SystemTime& t)
{
    return platform::toLocalPath(directory) + QString::asprintf("/NMEA_%4.4d%2.2d%2.2d.asc", t.wYear, t.wMonth, t.wDay);
}

bool DumpFile::write(const QString& directory, const platform::SystemTime& utc, const QByteArray& sentence)
{
    const QString path = pathFor(directory, utc);
    if (m_file.isOpen() && m_file.fileName() != path)
        close();
    if (!m_file.isOpen()) {
        // Only the last level is made, as the folder chooser makes it; a
        // missing parent shows up as a file that cannot be opened.
        QDir().mkdir(platform::toLocalPath(directory));
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
    }
    const QByteArray line = platform::FormatTimeStamp(utc).toLatin1() + ',' + sentence + "\r\n";
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        close();
        return false;
    }
    return true;
}

void DumpFile::close()
{
    if (m_file.isOpen())
        m_file.close();
}

QString DumpFile::openPath() const
{
    return m_file.isOpen() ? m_file.fileName() : QString();
}

} // namespace velmar::nmeaserver
