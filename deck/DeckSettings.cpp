#include "deck/DeckSettings.h"

#include "platform/Folders.h"
#include "platform/RecordIO.h"

#include <QFile>
#include <QSaveFile>

#include <cmath>
#include <cstring>

namespace velmar::deck {

namespace {

// One list of fields serves both directions, so reader and writer cannot
// drift apart.
struct Io {
    platform::RecordWriter* out;
    platform::RecordReader* in;
    template <typename T>
    Io& operator()(T& value)
    {
        if (out)
            *out << value;
        else
            *in >> value;
        return *this;
    }
};

// Streams write and read exactly what the record's table lists, in its order.
template <typename Record, typename Fields>
QByteArray recordBytes(const Record& record, Fields fields)
{
    platform::RecordWriter out(Record::ByteSize);
    fields(Io{&out, nullptr}, const_cast<Record&>(record));
    Q_ASSERT(std::size_t(out.bytes().size()) == Record::ByteSize);
    return out.bytes();
}

template <typename Record, typename Fields>
std::optional<Record> recordFromBytes(const QByteArray& bytes, Fields fields)
{
    if (std::size_t(bytes.size()) != Record::ByteSize)
        return std::nullopt;
    Record record;
    platform::RecordReader in(bytes);
    fields(Io{nullptr, &in}, record);
    if (!in.ok())
        return std::nullopt;
    return record;
}

void deckFields(Io io, DeckSettings& d)
{
    io(d.LeftMask)(d.RightMask)(d.ClickMask)(d.WhistleMask)(d.PlaybackRate)(d.PlayAtFileRate)(d.PlaybackDevice)(
        d.Folder)(d.JoinTracks)(d.InterTrackDelay)(d.Reserved)(d.LastFileRate)(d.GainDb)(d.ListByPeriod);
}

void filterFields(Io io, FilterSpec& f)
{
    io(f.FilterType)(f.Band)(f.HighPassHz)(f.LowPassHz)(f.RippleDb)(f.Order)(f.Reserved);
}

void displayFields(Io io, FilterDisplaySettings& f)
{
    io(f.LogFrequency)(f.GainRangeDb)(f.ShowGrid)(f.ShowPhase)(f.StartFrequencyHz)(f.Reserved);
}

DeckFileResult openFailure(const QString& path)
{
    return {false, QStringLiteral("Error opening file %1").arg(path), QStringLiteral("Default File Open")};
}

} // namespace

QString DeckSettings::folder() const
{
    return QString::fromUtf8(Folder.data(), qsizetype(strnlen(Folder.data(), Folder.size())));
}

void DeckSettings::setFolder(const QString& path)
{
    QByteArray bytes = path.toUtf8();
    if (std::size_t(bytes.size()) >= FolderSize) {
        // Cut on a character boundary: a character whose bytes do not all fit goes.
        bytes.truncate(qsizetype(FolderSize - 1));
        qsizetype lead = bytes.size() - 1;
        while (lead > 0 && (uchar(bytes[lead]) & 0xC0) == 0x80)
            --lead;
        const uchar b = uchar(bytes[lead]);
        const qsizetype length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        if (lead + length > bytes.size())
            bytes.truncate(lead);
    }
    Folder.fill(0);
    std::memcpy(Folder.data(), bytes.constData(), std::size_t(bytes.size()));
}

QByteArray DeckSettings::toBytes() const
{
    return recordBytes(*this, deckFields);
}

std::optional<DeckSettings> DeckSettings::fromBytes(const QByteArray& bytes)
{
    auto d = recordFromBytes<DeckSettings>(bytes, deckFields);
    if (!d || std::memchr(d->Folder.data(), 0, d->Folder.size()) == nullptr || !std::isfinite(d->InterTrackDelay)
        || !std::isfinite(d->GainDb))
        return std::nullopt;
    return d;
}

QByteArray FilterSpec::toBytes() const
{
    return recordBytes(*this, filterFields);
}

std::optional<FilterSpec> FilterSpec::fromBytes(const QByteArray& bytes)
{
    auto f = recordFromBytes<FilterSpec>(bytes, filterFields);
    if (!f || f->Order < 1 || f->Order > MaxOrder || !std::isfinite(f->RippleDb))
        return std::nullopt;
    return f;
}

QByteArray FilterDisplaySettings::toBytes() const
{
    return recordBytes(*this, displayFields);
}

std::optional<FilterDisplaySettings> FilterDisplaySettings::fromBytes(const QByteArray& bytes)
{
    return recordFromBytes<FilterDisplaySettings>(bytes, displayFields);
}

QByteArray DeckSettingsFile::toBytes() const
{
    return deck.toBytes() + filter.toBytes() + display.toBytes();
}

void DeckSettingsFile::adoptBytes(const QByteArray& bytes)
{
    constexpr qsizetype deckSize = DeckSettings::ByteSize;
    constexpr qsizetype filterSize = FilterSpec::ByteSize;
    constexpr qsizetype displaySize = FilterDisplaySettings::ByteSize;
    deck = DeckSettings::fromBytes(bytes.mid(0, deckSize)).value_or(DeckSettings{});
    const auto f = FilterSpec::fromBytes(bytes.mid(deckSize, filterSize));
    const auto d = FilterDisplaySettings::fromBytes(bytes.mid(deckSize + filterSize, displaySize));
    filter = d ? f.value_or(FilterSpec{}) : FilterSpec{};
    display = d.value_or(FilterDisplaySettings{});
}

DeckSettingsFile& TheDeckSettingsFile()
{
    static DeckSettingsFile settings;
    return settings;
}

QString DeckSettingsFilePath()
{
    return platform::settingsFile(QStringLiteral("TapeSet.dat"));
}

DeckFileResult ReadDeckSettings(DeckSettingsFile& settings, const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return {true, {}, {}};
    if (!file.open(QIODevice::ReadOnly))
        return openFailure(path);
    // Never more than the three records, whatever size the file claims.
    settings.adoptBytes(file.read(qint64(DeckSettingsFile::ByteSize)));
    return {true, {}, {}};
}

DeckFileResult WriteDeckSettings(const DeckSettingsFile& settings, const QString& path)
{
    QByteArray tail;
    {
        QFile old(path);
        if (old.open(QIODevice::ReadOnly) && old.size() > qint64(DeckSettingsFile::ByteSize)) {
            old.seek(qint64(DeckSettingsFile::ByteSize));
            tail = old.readAll();
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return openFailure(path);
    const QByteArray bytes = settings.toBytes() + tail;
    if (file.write(bytes) != bytes.size() || !file.commit())
        return openFailure(path);
    return {true, {}, {}};
}

} // namespace velmar::deck
