#include "DevicePart.h"

namespace velmar::video {

namespace {
const char* const formatValue = "FMT%1";
const char* const subtypeValue = "SUB%1";
constexpr int formatDigits = 3;

QString numberedValue(const char* pattern, int n)
{
    return QString::fromLatin1(pattern).arg(n, formatDigits, 10, QLatin1Char('0'));
}

QString listText(const QStringList& entries)
{
    QStringList lines;
    for (int i = 0; i < entries.size(); ++i)
        lines << (i == 0 ? QStringLiteral("default") : entries.at(i).trimmed());
    return lines.join(QLatin1Char('\n'));
}

void writeList(TRegistry2& reg, const char* pattern, const QStringList& entries)
{
    for (int n = 0; n < entries.size(); ++n)
        reg.writeString(numberedValue(pattern, n), entries.at(n));
    for (int n = int(entries.size()); reg.valueExists(numberedValue(pattern, n)); ++n)
        reg.deleteValue(numberedValue(pattern, n));
}
} // namespace

QString DevicePart::sizesText() const
{
    return listText(m_sizes.entries());
}

QString DevicePart::subtypesText() const
{
    return listText(m_subtypes.entries());
}

QString DevicePart::subtypeAt(int index) const
{
    return index > 0 && index < m_subtypes.count() ? m_subtypes.entries().at(index).trimmed() : QString();
}

bool DevicePart::readFormats(TRegistry2& reg)
{
    clearFormats();
    QString text;
    for (int n = 0; reg.readString(numberedValue(formatValue, n), text); ++n)
        if (!text.isEmpty())
            m_sizes.addText(text);
    for (int n = 0; reg.readString(numberedValue(subtypeValue, n), text); ++n)
        if (!text.isEmpty())
            m_subtypes.entries() << text;
    return m_sizes.count() > 0 && m_subtypes.count() > 0;
}

void DevicePart::writeFormats(TRegistry2& reg) const
{
    writeList(reg, formatValue, m_sizes.entries());
    writeList(reg, subtypeValue, m_subtypes.entries());
}

void DevicePart::clearFormats()
{
    m_sizes.clear();
    m_subtypes.clear();
}

DevicePart::Added DevicePart::addCaps(const CapsEntry& caps)
{
    Added added;
    added.newFormat = m_subtypes.add(caps.formatName);
    const int before = m_sizes.count();
    m_sizes.addWalkedSizes(caps.size, caps.minSize, caps.maxSize);
    added.newSizes = m_sizes.count() != before;
    return added;
}

void DevicePart::fixDefaults()
{
    FixDefaults(m_sizes, m_subtypes, isDV ? DeviceFormatKind::DV : DeviceFormatKind::Capture);
}

} // namespace velmar::video
