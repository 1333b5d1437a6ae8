#pragma once
// The daily dump files "NMEA_yyyymmdd.asc": one line per dumped sentence,
// "yyyy-mm-dd hh:mm:ss,<sentence>" and CR LF, in the dump folder.
//
// The file stays open between lines and changes with the UTC date; each line
// is flushed as it is written, so a crash or power cut loses nothing that was
// dumped. User-interface thread only.
#include "platform/SystemTime.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace velmar::nmeaserver {

class DumpFile {
public:
    ~DumpFile();

    // The file for a UTC date in a folder.
    static QString pathFor(const QString& directory, const platform::SystemTime& utc);

    // Appends one line; the file of another date is closed first. False when
    // the file cannot be opened or written (that line is lost; the next line
    // tries again).
    bool write(const QString& directory, const platform::SystemTime& utc, const QByteArray& sentence);
    void close();
    QString openPath() const;

private:
    QFile m_file;
};

} // namespace velmar::nmeaserver
