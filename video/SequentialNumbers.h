#pragma once
// Per-folder counters from which the component makes sequential file names
// (om000012.avi): one counter per folder, prefix and extension, raised to
// the highest number found on disk the first time a folder is used.
//
// Owned by the process-wide sync manager; user-interface thread only.
#include <QList>
#include <QString>

namespace velmar::video {

class TSequentialCounters {
public:
    // The key of a counter: folder, a separator, prefix and extension (no dot).
    static QString counterKey(const QString& folder, const QString& prefix, const QString& extension);

    // The next number for that key and the key's index (-1 when it could not
    // be registered, with 1 as the number and a log line).
    int nextSequentialNumber(const QString& folder, const QString& prefix, const QString& extension, int& index);
    // The counter at an index, -1 outside the list.
    int getSequentialNumber(int index) const;
    // Takes one number back (a counter above 0 goes down by one).
    void releaseSequentialNumber(int index);
    // Registers the keys of "bmp", "jpg" and the extension; when one is new,
    // raises the counters to the highest number found in the folder.
    void scanSequentialNumbers(const QString& folder, const QString& prefix, const QString& extension);

    int indexOfKey(const QString& key) const;

private:
    struct Counter {
        QString key;
        int value;
    };
    QList<Counter> m_counters; // sorted by key, without regard to case
};

// A recording that ended before it completed, as the graph clear sees it.
struct IncompleteRecording {
    int counterIndex = -1; // the counter that named it, -1 for a name by date
    int number = 0;        // the number it took from that counter
    QString fileName;      // absolute
    bool writtenToFinalName = false;
    qint64 framesWritten = 0;
};

// What the clear does with such a recording: the footage a recording wrote
// (a disk-full stop, a lost device) is kept with its number; only a
// recording that wrote nothing gives its number back and has its empty file
// deleted. True when the number was given back.
bool DiscardIncompleteRecording(TSequentialCounters& counters, const IncompleteRecording& recording);

} // namespace velmar::video
