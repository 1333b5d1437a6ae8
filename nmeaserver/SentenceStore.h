#pragma once
// The newest sentence of every sentence name, as the DDE server serves them,
// and the dumping of sentences to the daily files.
//
// A sentence's name is the text between its start character and its first
// comma (GPRMC, AIVDM, PGRMM). Entries are kept newest name first. Each entry
// remembers the port that sent it, so a port that falls silent takes only its
// own sentences with it. User-interface thread only; the clock is injected so
// that dump intervals and date changes can be tested.
#include "nmeaserver/DumpFile.h"
#include "nmeaserver/NmeaSettings.h"
#include "platform/SystemTime.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <list>

namespace velmar::nmeaserver {

// The longest sentence text the readers hand on.
inline constexpr int MaxSentenceLength = 255;

struct DataThing {
    QByteArray Name;
    QByteArray Text;               // without line end
    platform::SystemTime Received; // UTC of the newest sentence
    platform::SystemTime LastDump; // all zero before the first dump
    int32_t Index = 0;             // order in which the names were first seen
    QString Source;                // port of the newest sentence
    // When the reader read the newest sentence (steady clock); a default
    // time when not known.
    std::chrono::steady_clock::time_point Arrived;

    // Characters 3 to 5 of the name equal the three letters exactly ("RMC").
    bool IsType(QByteArrayView type) const;
};

// The newest sentences of all names in the order they came, as many as a
// window can show; older ones are overwritten. Copies into room of its own,
// so adding allocates nothing.
class RecentSentences {
public:
    static constexpr int Capacity = 256;
    struct Sentence {
        char text[MaxSentenceLength];
        int length = 0;
        int nameLength = 0; // the name follows the start character
        platform::SystemTime received;

        QByteArrayView name() const { return QByteArrayView(text + 1, nameLength); }
        QByteArrayView view() const { return QByteArrayView(text, length); }
    };

    void add(QByteArrayView text, qsizetype nameLength, const platform::SystemTime& received);
    // How many were added since the start.
    quint64 total() const { return m_total; }
    // back 0 is the newest; back < min(total(), Capacity).
    const Sentence& newest(int back) const;

private:
    std::array<Sentence, Capacity> m_ring;
    quint64 m_total = 0;
};

// The name of a sentence, or empty when it has no comma or no name.
QByteArrayView nameOf(QByteArrayView text);
QByteArray sentenceName(const QByteArray& text);
// The text without the line end it was received with (CR and LF at the end only).
QByteArrayView withoutLineEnd(QByteArrayView text);
QByteArray stripLineEnd(const QByteArray& text);

class SentenceStore {
public:
    using Clock = std::function<platform::SystemTime()>;
    explicit SentenceStore(Clock clock = &platform::SystemTime::nowUtc);

    void setDumpInfo(const DATADUMPINFO& info) { m_dump = info; }
    const DATADUMPINFO& dumpInfo() const { return m_dump; }

    struct Stored {
        const DataThing* entry = nullptr; // null: the text has no name
        bool known = false;               // the name was stored before
    };
    // Stores a sentence (already stripped of its line end) and dumps it when
    // due. A name seen before is stored without allocating.
    Stored StoreSentence(QByteArrayView text, const QString& source);
    // The same with the time it was received (and, when known, the moment it
    // was read): a batch of sentences that arrived together reads the clock
    // once, with now().
    Stored StoreSentence(QByteArrayView text, const QString& source, const platform::SystemTime& received,
                         std::chrono::steady_clock::time_point arrived = {});
    platform::SystemTime now() const { return m_clock(); }

    // A three-letter type finds the newest entry of that type on any talker
    // ("RMC" finds GPRMC or IIRMC); a five-letter name finds that name
    // exactly; any other length finds nothing.
    const DataThing* FindSentence(const QByteArray& name) const;
    // A DDE item: the entry of exactly that name, letters in any case.
    const DataThing* findItem(const QString& item) const;

    void ClearSentences();
    // Removes the entries whose newest sentence came from that port.
    void clearSource(const QString& source);

    const std::list<DataThing>& entries() const { return m_entries; }
    DumpFile& dumpFile() { return m_file; }

private:
    bool dumpDue(const DataThing& entry, const platform::SystemTime& now) const;
    void maybeDump(DataThing& entry, QByteArrayView text, const platform::SystemTime& now);

    Clock m_clock;
    DATADUMPINFO m_dump;
    std::list<DataThing> m_entries; // newest name first
    DumpFile m_file;
};

} // namespace velmar::nmeaserver
