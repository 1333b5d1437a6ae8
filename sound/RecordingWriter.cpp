#include "sound/RecordingWriter.h"

#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "store/SqlText.h"
#include "store/TableInserter.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

namespace velmar::store {

namespace {

// A row handed over waits for the user-interface thread, which writes it
// only while its sender still waits; a sender that gave up has reported the
// row as not stored, so it must never appear later.
enum HandOver { Waiting, Writing, Abandoned };

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

SQLRETURN DbWriteRecording(const sound::RECORDINGINFO& recording, std::chrono::milliseconds timeout)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return writeRecordingNow(recording);
    // The connection belongs to the user-interface thread: hand the row over
    // and wait for it, but never without a bound.
    auto result = std::make_shared<std::promise<SQLRETURN>>();
    auto state = std::make_shared<std::atomic<int>>(Waiting);
    std::future<SQLRETURN> done = result->get_future();
    QMetaObject::invokeMethod(
        app,
        [result, state, copy = recording] {
            int expected = Waiting;
            if (state->compare_exchange_strong(expected, Writing))
                result->set_value(writeRecordingNow(copy));
        },
        Qt::QueuedConnection);
    if (done.wait_for(timeout) == std::future_status::ready)
        return done.get();
    int expected = Waiting;
    if (!state->compare_exchange_strong(expected, Abandoned)) {
        // The insert began just now: its own busy time-out bounds it.
        if (done.wait_for(std::chrono::milliseconds(2 * kBusyTimeoutMs)) == std::future_status::ready)
            return done.get();
    }
    qCWarning(lcStore) << "DbWriteRecording: the user-interface thread did not store the row in time";
    return SQL_ERROR;
}

} // namespace velmar::store
