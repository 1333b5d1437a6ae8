#include "AsfProfileXml.h"

namespace velmar::video {

namespace {
enum ParseState { Outside, AfterOpen, InElementName, InTag, InAttributeName, AfterAttributeName, InValue };
constexpr int indentBlanks = 5;

QString indent(int depth)
{
    return QString(std::max(0, depth) * indentBlanks, QLatin1Char(' '));
}
} // namespace

void TXML::Clear()
{
    m_items.clear();
    m_levels.clear();
    m_output.clear();
    m_state = Outside;
}

void TXML::addElement(const QString& token)
{
    const QString name = token.trimmed();
    m_levels << name;
    m_items << QLatin1Char('<') + name;
}

void TXML::addAttribute(const QString& token)
{
    m_items << token.trimmed();
}

void TXML::addValue(const QString& token)
{
    if (!m_items.isEmpty())
        m_items.last() = m_items.last() + QLatin1Char('=') + token.trimmed();
}

void TXML::closeElement()
{
    if (m_levels.isEmpty())
        return;
    m_items << QLatin1Char('>') + m_levels.takeLast();
}

void TXML::Parse(const QString& text)
{
    Clear();
    QString token;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == QLatin1Char('"')) {
            if (m_state == AfterAttributeName) {
                m_state = InValue;
                token.clear();
            } else if (m_state == InValue) {
                addValue(token);
                token.clear();
                m_state = InTag;
            }
        } else if (m_state == InValue) {
            token += c;
        } else if (c.isLetterOrNumber()) {
            if (m_state == AfterOpen || m_state == InTag || m_state == AfterAttributeName) {
                m_state = m_state == AfterOpen ? InElementName : m_state == InTag ? InAttributeName : InValue;
                token = c;
            } else {
                token += c;
            }
        } else if ((c == QLatin1Char('/') && next == QLatin1Char('>'))
                   || (c == QLatin1Char('<') && next == QLatin1Char('/'))) {
            closeElement();
            m_state = Outside;
        } else if (c == QLatin1Char('<')) {
            m_state = AfterOpen;
            token.clear();
        } else if (c == QLatin1Char('>')) {
            if (!token.isEmpty()) {
                if (m_state == InElementName)
                    addElement(token);
                else if (m_state == InAttributeName)
                    addAttribute(token);
                token.clear();
                m_state = Outside;
            }
        } else if (!token.isEmpty()) {
            if (m_state == InElementName) {
                addElement(token);
                token.clear();
                m_state = InTag;
            } else if (m_state == InAttributeName) {
                addAttribute(token);
                token.clear();
                m_state = AfterAttributeName;
            }
        }
    }
}

bool TXML::Generate()
{
    m_output.clear();
    int depth = 0;
    QString pending;
    bool hasPending = false;
    for (const QString& item : std::as_const(m_items)) {
        if (item.startsWith(QLatin1Char('<'))) {
            if (hasPending)
                m_output << pending + QLatin1Char('>');
            pending = indent(depth) + item + QLatin1Char(' ');
            hasPending = true;
            ++depth;
        } else if (item.startsWith(QLatin1Char('>'))) {
            if (hasPending)
                m_output << pending + QLatin1Char('>');
            hasPending = false;
            --depth;
            m_output << indent(depth) + QStringLiteral("</") + item.mid(1) + QLatin1Char('>');
        } else {
            if (hasPending)
                m_output << pending;
            const qsizetype eq = item.indexOf(QLatin1Char('='));
            const QString name = eq < 0 ? item : item.left(eq);
            const QString value = eq < 0 ? QString() : item.mid(eq + 1);
            pending = indent(depth) + name + QStringLiteral("=\"") + value + QLatin1Char('"');
            hasPending = true;
        }
    }
    if (hasPending)
        m_output << pending + QLatin1Char('>');
    return !m_output.isEmpty();
}

void TASFXML::Clear()
{
    m_kinds.clear();
    TXML::Clear();
}

void TASFXML::classify()
{
    m_kinds.clear();
    m_firstAudio = m_firstVideo = 0;
    int number = 0;
    int kind = ask_None;
    bool inside = false;
    for (const QString& item : std::as_const(m_items)) {
        const QString lower = item.toLower();
        if (lower.startsWith(QLatin1String("<streamconfig"))) {
            ++number;
            inside = true;
            kind = ask_None;
        } else if (inside && kind == ask_None) {
            if (lower.contains(QLatin1String("audio")) || lower.contains(QLatin1String("<waveformatex")))
                kind = ask_Audio;
            else if (lower.contains(QLatin1String("video")) || lower.contains(QLatin1String("<videoinfoheader")))
                kind = ask_Video;
            if (kind == ask_Audio && m_firstAudio == 0)
                m_firstAudio = number;
            if (kind == ask_Video && m_firstVideo == 0)
                m_firstVideo = number;
        }
        m_kinds << (inside ? kind : ask_None);
        if (lower.startsWith(QLatin1String(">streamconfig"))) {
            inside = false;
            kind = ask_None;
        }
    }
}

bool TASFXML::RemoveStreams(bool includeVideo, bool includeAudio)
{
    classify();
    if (m_items.isEmpty() || (m_firstAudio == 0 && m_firstVideo == 0))
        return false;
    const bool both = m_firstAudio > 0 && m_firstVideo > 0;
    const bool renumber = both
                       && ((!includeAudio && m_firstAudio < m_firstVideo)
                           || (!includeVideo && m_firstVideo < m_firstAudio));
    QStringList kept;
    QList<int> keptKinds;
    int number = 0;
    bool inside = false;
    bool deleting = false;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        QString item = m_items.at(i);
        const QString lower = item.toLower();
        if (lower.startsWith(QLatin1String("<streamconfig"))) {
            ++number;
            inside = true;
            deleting = (!includeAudio && number == m_firstAudio) || (!includeVideo && number == m_firstVideo);
        }
        if (inside && renumber && lower.startsWith(QLatin1String("streamnumber"))) {
            const qsizetype eq = item.indexOf(QLatin1Char('='));
            bool isNumber = false;
            const int value = eq < 0 ? 0 : item.mid(eq + 1).toInt(&isNumber);
            if (isNumber && value > 1)
                item = item.left(eq + 1) + QString::number(value - 1);
        }
        if (!deleting) {
            kept << item;
            keptKinds << m_kinds.at(i);
        }
        if (lower.startsWith(QLatin1String(">streamconfig"))) {
            inside = false;
            deleting = false;
        }
    }
    m_items = kept;
    m_kinds = keptKinds;
    return true;
}

void TASFXML::SetAttribute(const QString& name, const QString& value, TAsfStreamKind kind)
{
    if (m_kinds.size() != m_items.size())
        classify();
    for (qsizetype i = 0; i < m_items.size(); ++i)
        if (m_kinds.at(i) == kind && m_items.at(i).startsWith(name, Qt::CaseInsensitive)
            && m_items.at(i).contains(QLatin1Char('=')))
            m_items[i] = name.toLower() + QLatin1Char('=') + value;
}

QString TASFXML::Attribute(const QString& name, TAsfStreamKind kind)
{
    if (m_kinds.size() != m_items.size())
        classify();
    const QString prefix = name.toLower() + QLatin1Char('=');
    for (qsizetype i = 0; i < m_items.size(); ++i)
        if (m_kinds.at(i) == kind && m_items.at(i).toLower().startsWith(prefix))
            return m_items.at(i).mid(prefix.size());
    return {};
}

} // namespace velmar::video
