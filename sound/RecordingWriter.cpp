#include "sound/RecordingWriter.h"

#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/SqlText.h"
#include "store/TableInserter.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <future>
#include <memory>

namespace velmar::store {

namespace {

// How long a recorder thread waits for its row to be stored.
constexpr std::chrono::seconds kRecordingWriteTimeout{10};

SQLRETURN writeRecordingNow(const sound::RECORDINGINFO& r)
{
    static TableInserter w("Recordings");
    if (!IsDbOpen())
        return SQL_ERROR;
    w.setInt("DeckNo", r.RecorderId);
    w.setText("Start Time", r.StartTime);
    w.setInt("Duration", r.Duration);
    w.setInt("GpsIndex", r.GpsIndex);
    w.setText("GPSTime", r.GpsTime);
    w.setText("Media Name", r.MediaName);
    w.setText("Media Type", r.MediaType);
    w.setText("File Name", r.FileName);
    w.setText("Device Type", r.DeviceTypeText);
    w.setText("Device Name", r.DeviceNameText);
    w.setInt("Sample Rate", int32_t(r.SampleRate));
    w.setInt("nChannels", r.nChannels);
    w.setText("Comment", r.Comment);
    const SQLRETURN result = w.execute();
    if (!sqlSucceeded(result)) {
        DbBeep();
        qCWarning(lcStore).noquote() << "DbWriteRecording could not store a row:" << w.lastError();
    }
    return result;
}

} // namespace

SQLRETURN DbWriteRecording(const sound::RECORDINGINFO& recording)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return writeRecordingNow(recording);
    // The connection belongs to the user-interface thread: hand the row over
    // and wait for it, but never without a bound.
    auto result = std::make_shared<std::promise<SQLRETURN>>();
    std::future<SQLRETURN> done = result->get_future();
    QMetaObject::invokeMethod(
        app, [result, copy = recording] { result->set_value(writeRecordingNow(copy)); }, Qt::QueuedConnection);
    if (done.wait_for(kRecordingWriteTimeout) == std::future_status::ready)
        return done.get();
    qCWarning(lcStore) << "DbWriteRecording: the user-interface thread did not store the row in time";
    return SQL_ERROR;
}

} // namespace velmar::store
