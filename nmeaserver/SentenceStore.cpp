#include "nmeaserver/SentenceStore.h"

#include "platform/DateTimeText.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cstring>

namespace velmar::nmeaserver {

Q_LOGGING_CATEGORY(lcStore, "velmar.nmeaserver.store")

namespace {
constexpr int TypeOffset = 2; // talker letters come first
constexpr int TypeLength = 3;
constexpr int FullNameLength = 5;
// Whole seconds are compared after adding a tenth, so a sentence that comes
// every N seconds with a little jitter is dumped every N seconds, not 2N.
constexpr double DumpSlackSeconds = 0.1;
} // namespace

bool DataThing::IsType(QByteArrayView type) const
{
    return type.size() == TypeLength && Name.size() >= TypeOffset + TypeLength
        && std::memcmp(Name.constData() + TypeOffset, type.data(), TypeLength) == 0;
}

void RecentSentences::add(QByteArrayView text, qsizetype nameLength, const platform::SystemTime& received)
{
    Sentence& s = m_ring[size_t(m_total % Capacity)];
    s.length = int(std::min<qsizetype>(text.size(), MaxSentenceLength));
    std::memcpy(s.text, text.data(), size_t(s.length));
    s.nameLength = int(std::min<qsizetype>(nameLength, s.length - 1));
    s.received = received;
    ++m_total;
}

const RecentSentences::Sentence& RecentSentences::newest(int back) const
{
    return m_ring[size_t((m_total - 1 - quint64(back)) % Capacity)];
}

QByteArrayView nameOf(QByteArrayView text)
{
    const qsizetype comma = text.indexOf(',');
    if (comma < 2)
        return {};
    return text.sliced(1, comma - 1);
}

QByteArrayView withoutLineEnd(QByteArrayView text)
{
    qsizetype n = text.size();
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n'))
        --n;
    return text.first(n);
}

QByteArray sentenceName(const QByteArray& text)
{
    return nameOf(text).toByteArray();
}

QByteArray stripLineEnd(const QByteArray& text)
{
    return withoutLineEnd(text).toByteArray();
}

namespace {
bool sameBytes(const QByteArray& a, QByteArrayView b)
{
    return a.size() == b.size() && std::memcmp(a.constData(), b.data(), size_t(b.size())) == 0;
}

// Overwrites in place: an entry's text keeps its room from one sentence to
// the next, so storing allocates nothing once a name has been seen.
void assign(QByteArray& to, QByteArrayView from)
{
    to.resize(from.size());
    if (!from.isEmpty())
        std::memcpy(to.data(), from.data(), size_t(from.size()));
}
} // namespace

SentenceStore::SentenceStore(Clock clock) : m_clock(std::move(clock))
{
}

SentenceStore::Stored SentenceStore::StoreSentence(QByteArrayView text, const QString& source)
{
    return StoreSentence(text, source, m_clock());
}

SentenceStore::Stored SentenceStore::StoreSentence(QByteArrayView text, const QString& source,
                                                   const platform::SystemTime& now,
                                                   std::chrono::steady_clock::time_point arrived)
{
    const QByteArrayView name = nameOf(text);
    if (name.isEmpty())
        return {}; // nothing to serve it under; a growing list of "0" entries helps no one
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [&](const DataThing& e) { return sameBytes(e.Name, name); });
    Stored result;
    DataThing* entry = nullptr;
    if (it != m_entries.end()) {
        entry = &*it;
        result.known = true;
    } else {
        DataThing fresh;
        fresh.Name = name.toByteArray();
        fresh.Text.reserve(MaxSentenceLength);
        fresh.Index = m_entries.empty() ? 0 : m_entries.front().Index + 1;
        m_entries.push_front(fresh);
        entry = &m_entries.front();
    }
    // The first sentence of a name is dumped too: it may be the only one
    // before the instrument falls silent.
    maybeDump(*entry, text, now);
    assign(entry->Text, text);
    entry->Received = now;
    entry->Arrived = arrived;
    if (entry->Source != source)
        entry->Source = source;
    result.entry = entry;
    return result;
}

bool SentenceStore::dumpDue(const DataThing& entry, const platform::SystemTime& now) const
{
    if (m_dump.DumpALLStrings || entry.LastDump == platform::SystemTime{})
        return true;
    const auto whole = static_cast<long long>(platform::SecondsBetween(now, entry.LastDump) + DumpSlackSeconds);
    return whole >= m_dump.DumpInterval;
}

void SentenceStore::maybeDump(DataThing& entry, QByteArrayView text, const platform::SystemTime& now)
{
    if (!m_dump.DumpData)
        return;
    if (!dumpDue(entry, now))
        return;
    entry.LastDump = now;
    if (!m_file.write(m_dump.Directory, now, text.toByteArray()))
        qCDebug(lcStore) << "dump file not written:" << DumpFile::pathFor(m_dump.Directory, now);
}

const DataThing* SentenceStore::FindSentence(const QByteArray& name) const
{
    for (const DataThing& e : m_entries) {
        if (name.size() == FullNameLength && e.Name == name)
            return &e;
        if (name.size() == TypeLength && e.IsType(name))
            return &e;
    }
    return nullptr;
}

const DataThing* SentenceStore::findItem(const QString& item) const
{
    const QByteArray wanted = item.toLatin1();
    for (const DataThing& e : m_entries)
        if (e.Name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

void SentenceStore::ClearSentences()
{
    m_entries.clear();
}

void SentenceStore::clearSource(const QString& source)
{
    m_entries.remove_if([&](const DataThing& e) { return e.Source == source; });
}

} // namespace velmar::nmeaserver
