#pragma once
// The video component's process log: an RTF file written only when enabled,
// for diagnosis. The whole file is rewritten at every entry.
//
// The file lies in the settings folder, never in the current directory, so
// the component writes only under the user's folders. Thread-safe: the task
// worker and the user-interface thread both write entries.
#include <QMutex>
#include <QString>
#include <QStringList>
#include <functional>

namespace velmar::video {

// Colour codes of the log's colour table.
inline constexpr const char* cfDefault = "\\cf0 ";
inline constexpr const char* cfGrey = "\\cf1 ";
inline constexpr const char* cfBlue = "\\cf2 ";
inline constexpr const char* cfGreen = "\\cf3 ";
inline constexpr const char* cfRed = "\\cf4 ";
inline constexpr const char* cfPurple = "\\cf5 ";
inline constexpr const char* cfYellow = "\\cf6 ";

class TLog {
public:
    // The process-wide log.
    static TLog& instance();

    // The file name of the log, inside the settings folder.
    static QString fileName();

    void enable();
    bool isEnabled() const;

    // Appends one entry; a marker frames it between two rules of 70 markers.
    void write(QChar marker, const char* colour, const QString& text);
    void write(const char* colour, const QString& text) { write(QChar(), colour, text); }
    // Writes text + ": YES" or ": no"; returns the condition.
    bool writeYesNo(bool condition, const char* colour, const QString& text);

    // The document as it stands, without its closing brace.
    QStringList lines() const;

    // Tests inject the millisecond tick and point the file elsewhere.
    void setTickSource(std::function<qint64()> tick);
    void setFileName(const QString& path);
    // Back to a disabled, empty log (tests).
    void reset();

private:
    TLog();
    void writeLocked(QChar marker, const char* colour, const QString& text);

    mutable QMutex m_lock;
    bool m_enabled = false;
    bool m_started = false;
    QStringList m_lines;
    qint64 m_previousTick = 0;
    bool m_hasPrevious = false;
    std::function<qint64()> m_tick;
    QString m_fileName;
};

// Shorthands for the process-wide log.
void WriteLog(const char* colour, const QString& text);
void WriteLog(QChar marker, const char* colour, const QString& text);
bool WriteLogYesNo(bool condition, const char* colour, const QString& text);

// The component's version text, used in the log and the settings marker.
QString versionText();

} // namespace velmar::video
