#pragma once
// Pelvane's main window: which device samples which channels at what rate,
// the acquisition state, one pair of lines per pipe, and the Settings, Close
// and Help buttons. It answers the pipe messages that reach Pelvane (pipe
// commands go on to the acquisition thread, which has made the pipe and
// started the device when the answer comes) and the porpoise detector's
// status query.
//
// User-interface thread only. The acquisition thread is the caller's and
// must outlive the dialog.
#include "pipeserver/AcquisitionThread.h"
#include "settings/PipeSettings.h"

#include <QWidget>

#include <functional>
#include <map>

class QLabel;
class QPushButton;

namespace velmar::pipeserver {

class PelvaneDialog : public QWidget {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // milliseconds, steady
    using MessageSink = std::function<void(const QString& text, const QString& caption)>;

    // A status text holds the status line this long before the state word
    // may replace it.
    static constexpr qint64 StatusHoldMs = 3000;

    PelvaneDialog(AcquisitionThread& acquisition, Clock clock, QWidget* parent = nullptr);

    // Every message of the engine and the pages goes here (default: a box
    // that does not wait, and the log).
    void setMessageSink(MessageSink sink) { m_messages = std::move(sink); }
    void showMessage(const QString& text, const QString& caption);

    // "PipeMsgPipeCommand", "PipeMsgPoroiseStatus", "PipeMsgLastFillTime".
    qint64 pipeCommand(quint64 wParam, qint64 lParam);
    qint64 porpoiseStatus(int n);
    qint64 lastFillTime();

    // 0 idle, 1 running, 2 starting, 3 stopping; -1 when the engine did not answer.
    int adcState();
    // Rewrites the lines from the live record; the device line only when
    // asked (its name comes from the device layers, which are not asked
    // while a device samples).
    void updateStatus(bool readDevice = false);
    void showPipeState(uint bit, int state);
    void showStatusText(const QString& text);

    QString lineText(const QString& name) const; // for tests: "device", "status", "pipeState32"...

    // Runs the settings sheet when acquisition is idle.
    void cmSettings();

    // Writes the live record and tells the other programs ("PipeMsgNewSettings");
    // false when the file could not be written.
    bool publishSettings();

signals:
    void adcStateChanged(int state);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void onSampleRateFound(int rate);

    AcquisitionThread& m_acquisition;
    Clock m_clock;
    MessageSink m_messages;
    qint64 m_lastStatusTick;
    std::map<uint, int> m_shownPipeState;
    std::map<QString, QLabel*> m_lines;
};

// Tray tips of the acquisition states.
QString TrayTip(int adcState);

} // namespace velmar::pipeserver
