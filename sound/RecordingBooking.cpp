#include "sound/RecordingBooking.h"

#include "platform/DateTimeText.h"
#include "sound/RecordingJournal.h"
#include "sound/RecordingWriter.h"
#include "sound/WavRecordingFile.h"
#include "store/DbConnection.h"
#include "store/SqlText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcRecordingBooking, "velmar.sound.booking")

namespace velmar::sound {

namespace {

constexpr int FileNameColumnWidth = RECORDINGINFO::FileNameSize - 1;
constexpr SQLLEN CountTextSize = 20;
const QString CutShortCaption = QStringLiteral("Recording cut short");

void say(const RecordingServices& services, const QString& text)
{
    if (services.showMessage)
        services.showMessage(text, CutShortCaption);
    else
        qCWarning(lcRecordingBooking).noquote() << text;
}

QString sqlText(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

// Whether the row of this file is stored already (the program may have ended
// between storing it and removing the journal).
bool alreadyBooked(const RECORDINGINFO& r)
{
    if (!store::IsDbOpen())
        return false;
    const QString text = QStringLiteral("SELECT COUNT(*) FROM \"Recordings\" WHERE \"DeckNo\" = %1 AND \"File Name\" = "
                                        "%2 AND substr(\"Start Time\", 1, 19) = %3")
                             .arg(r.RecorderId)
                             .arg(sqlText(store::CutToWidth(r.FileName, FileNameColumnWidth)), sqlText(r.StartTime));
    store::SqlStatement statement(store::GetDbConnection());
    if (!statement.execDirect(text))
        return false;
    SQLCHAR value[CountTextSize];
    SQLLEN indicator = 0;
    SQLBindCol(statement.handle(), 1, SQL_C_CHAR, value, CountTextSize, &indicator);
    if (!store::sqlSucceeded(SQLFetch(statement.handle())) || indicator == SQL_NULL_DATA)
        return false;
    return store::LeadingInteger(QString::fromUtf8(reinterpret_cast<const char*>(value))) > 0;
}

struct FoundFile {
    QString path;
    QString mediaName; // empty: still in the output folder
};

// The file where it lies: in the output folder, not yet moved, or in a media
// folder (the journal's first, then the newest).
std::optional<FoundFile> findFile(const QDir& output, const QString& fileName, const QString& mediaName)
{
    if (QFileInfo(output.filePath(fileName)).isFile())
        return FoundFile{output.filePath(fileName), {}};
    QStringList media = output.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
    if (!mediaName.isEmpty()) {
        media.removeAll(mediaName);
        media.prepend(mediaName);
    }
    for (const QString& folder : media)
        if (const QString path = QDir(output.filePath(folder)).filePath(fileName); QFileInfo(path).isFile())
            return FoundFile{path, folder};
    return std::nullopt;
}

} // namespace

bool BookRecording(const RECORDINGINFO& booking)
{
    if (!store::sqlSucceeded(store::DbWriteRecording(booking)))
        return false;
    RemoveRecordingJournal(booking);
    return true;
}

int BookInterruptedRecordings(RECORDINGINFO& recorder, const RecordingServices& services)
{
    int booked = 0;
    const QDir output(RecordingFolderPath(recorder.OutputDirectory));
    for (const QString& journalPath : FindRecordingJournals(recorder.OutputDirectory)) {
        QString error;
        const std::optional<RecordingJournal> journal = ReadRecordingJournal(journalPath, &error);
        if (!journal) {
            say(services, QStringLiteral("%1 cannot be read: %2. The recording it describes is not booked.")
                              .arg(journalPath, error));
            continue;
        }
        const RECORDINGINFO& was = journal->recording;
        if (was.RecorderId != recorder.RecorderId)
            continue;
        // The recorder's settings, with the description the file began with.
        RECORDINGINFO r = recorder;
        r.FileName = was.FileName;
        r.FileTime = journal->fileStart;
        r.StartTime = platform::FormatTimeStamp(journal->fileStart);
        r.GpsIndex = was.GpsIndex;
        r.GpsTime = was.GpsTime;
        r.MediaType = was.MediaType;
        r.DeviceType = was.DeviceType;
        r.DeviceTypeText = was.DeviceTypeText;
        r.DeviceNameText = was.DeviceNameText;
        r.SampleRate = was.SampleRate;
        r.nChannels = was.nChannels;
        r.Comment = was.Comment;

        const std::optional<FoundFile> found = findFile(output, r.FileName, was.MediaName);
        if (!found) {
            say(services, QStringLiteral("%1 was being recorded in %2 when the program ended, but it is no longer "
                                         "there; it is not booked.")
                              .arg(r.FileName, output.path()));
            QFile::remove(journalPath);
            continue;
        }
        const std::optional<double> seconds = WavRecordingFile::Repair(found->path, &error);
        if (!seconds) {
            say(services, QStringLiteral("%1 was being recorded when the program ended and cannot be read now: %2. "
                                         "The file is kept but not booked.")
                              .arg(found->path, error));
            QFile::remove(journalPath);
            continue;
        }
        if (alreadyBooked(r)) {
            RemoveRecordingJournal(r);
            continue;
        }
        QString finalPath = found->path;
        if (found->mediaName.isEmpty()) {
            // Closed now, as it would have been: into the current media folder.
            r.MediaName = r.MediaFolderName();
            finalPath = OnFileClosed(r, journal->fileStart, services, *seconds).finalPath;
            recorder.MediaNumber = r.MediaNumber;
            recorder.MediaName = r.MediaName;
        } else {
            r.MediaName = found->mediaName;
            r.Duration = int32_t(*seconds);
            if (services.bookRecording)
                services.bookRecording(r);
        }
        if (QFileInfo::exists(journalPath)) {
            say(services, QStringLiteral("%1, cut short when the program ended, could not be booked; the next start "
                                         "tries again.")
                              .arg(finalPath));
            continue;
        }
        ++booked;
        qCInfo(lcRecordingBooking).noquote()
            << "booked" << finalPath << "with" << *seconds << "s, cut short when the program ended";
    }
    return booked;
}

} // namespace velmar::sound
