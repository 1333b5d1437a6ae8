#include "nav/NmeaClient.h"

#include "nav/NmeaSentence.h"
#include "platform/Dde.h"
#include "settings/ProgramSettings.h"

#include <cmath>
#include <limits>

namespace velmar::nav {

namespace {

const QString SystemTopic = QStringLiteral("System");
const QString StringsTopic = QStringLiteral("Strings");
const QString StatusItem = QStringLiteral("Status");
const QString DatumItem = QStringLiteral("PGRMM");

// CF_TEXT data end with a NUL (the server may send more than one).
QByteArray withoutNul(QByteArray data)
{
    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        data.truncate(nul);
    return data;
}

// Releases the busy mark of the field-request path on every way out.
class BusyMark {
public:
    explicit BusyMark(int& count) : m_count(count) { ++m_count; }
    ~BusyMark() { --m_count; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    int& m_count;
};

} // namespace

NmeaSentenceChoice NmeaSentenceChoice::FromProgramSettings()
{
    const store::ProgramSettings& s = store::TheProgramSettings;
    NmeaSentenceChoice choice;
    choice.sentence = s.GpsSentence;
    choice.rmcTalker = s.RmcTalker.text();
    choice.ggaTalker = s.GgaTalker.text();
    choice.readHdt = s.ReadHdt;
    choice.hdtTalker = s.HdtTalker.text();
    choice.readHdm = s.ReadHdm;
    choice.hdmTalker = s.HdmTalker.text();
    return choice;
}

NmeaClient::NmeaClient(QObject* parent)
    : QObject(parent), m_client(std::make_unique<platform::DdeClient>(QString::fromLatin1(Service)))
{
}

NmeaClient::~NmeaClient()
{
    DropStrings();
}

uint32_t NmeaClient::DdeGetNmeaStatus()
{
    if (!m_client->connectTopic(SystemTopic, RequestTimeoutMs))
        return NmeaNoProgram;
    const std::optional<QByteArray> data = m_client->request(SystemTopic, StatusItem, RequestTimeoutMs);
    m_client->disconnectTopic(SystemTopic);
    if (!data)
        return NmeaNoData;
    const QByteArray text = withoutNul(*data);
    if (text == "Idle")
        return NmeaIdle;
    if (text == "TimeOut")
        return NmeaTimeOut;
    if (text == "Starting")
        return NmeaStarting;
    if (text == "Port Error")
        return NmeaPortError;
    if (text == "OK")
        return NmeaOk;
    return NmeaUnknownText;
}

bool NmeaClient::DdeNmeaSimulating()
{
    if (!m_client->connectTopic(SystemTopic, RequestTimeoutMs))
        return false;
    const std::optional<QByteArray> data = m_client->request(SystemTopic, QStringLiteral("Simulating"),
                                                             RequestTimeoutMs);
    m_client->disconnectTopic(SystemTopic);
    return data && data->startsWith('1');
}

uint32_t NmeaClient::DdeGetGPSData(GpsFixData& fix, const NmeaSentenceChoice& choice)
{
    uint32_t result = NmeaOk;
    if (!OpenStrings()) {
        if (messageBox)
            messageBox(QStringLiteral("Unable to start RMC Conversation"), QStringLiteral("DdeGetGPSData"));
        return NmeaNoProgram;
    }
    QString item;
    if (choice.sentence == NmeaSentenceChoice::UseRMC)
        item = choice.rmcTalker + QStringLiteral("RMC");
    else if (choice.sentence == NmeaSentenceChoice::UseGGA)
        item = choice.ggaTalker + QStringLiteral("GGA");
    else
        return NmeaBadString;

    const std::optional<QByteArray> sentence = RequestOnStrings(item);
    if (!sentence) {
        result = NmeaNoData;
    } else {
        const bool read = choice.sentence == NmeaSentenceChoice::UseRMC ? ParseRMC(fix, *sentence)
                                                                        : ParseGGA(fix, *sentence);
        result = read ? NmeaOk : NmeaBadString;
    }

    if (choice.readHdt)
        if (const auto heading = RequestHeading(choice.hdtTalker, "HDT"))
            fix.SetTrueHeading(*heading);
    if (choice.readHdm)
        if (const auto heading = RequestHeading(choice.hdmTalker, "HDM"))
            fix.SetMagHeading(*heading);
    return result;
}

uint32_t NmeaClient::DdeGetMapDatum(QString& datum)
{
    if (!OpenStrings())
        return NmeaNoProgram;
    const std::optional<QByteArray> sentence = RequestOnStrings(DatumItem);
    if (!sentence)
        return NmeaNoData;
    const qsizetype comma = sentence->indexOf(',');
    if (comma < 0)
        return NmeaCrashed;
    const qsizetype star = sentence->indexOf('*', comma);
    datum = QString::fromLatin1(sentence->mid(comma + 1, star < 0 ? -1 : star - comma - 1));
    return NmeaOk;
}

std::optional<QByteArray> NmeaClient::DdeRequestNmeaSentence(const QString& item)
{
    if (m_busy > 0)
        return std::nullopt;
    const BusyMark busy(m_busy);
    if (!OpenStrings())
        return std::nullopt;
    return RequestOnStrings(item);
}

bool NmeaClient::DdeGetNmeaInt(const QString& item, int n, int32_t& value, int width)
{
    const std::optional<QByteArray> field = NumberField(item, n, width);
    if (!field)
        return false;
    const qlonglong v = field->trimmed().toLongLong();
    // A number too large for the value is no reading rather than a wrapped one.
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return false;
    value = int32_t(v);
    return true;
}

bool NmeaClient::DdeGetNmeaFloat(const QString& item, int n, double& value, int width)
{
    const std::optional<QByteArray> field = NumberField(item, n, width);
    if (!field)
        return false;
    bool ok = false;
    const double v = field->trimmed().toDouble(&ok);
    // A field that is no number is not a reading; neither is "nan" or "inf".
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

std::optional<float> NmeaClient::RequestHeading(const QString& talker, const char* type)
{
    const std::optional<QByteArray> sentence = DdeRequestNmeaSentence(talker + QLatin1String(type));
    return sentence ? ParseHeading(*sentence, type) : std::nullopt;
}

bool NmeaClient::DdeGetNmeaString(const QString& item, int n, QString& text, int size)
{
    const std::optional<QByteArray> sentence = DdeRequestNmeaSentence(item);
    if (!sentence)
        return false;
    const std::optional<QByteArray> field = GetNmeaField(*sentence, n, size);
    if (!field)
        return false;
    text = QString::fromLatin1(*field);
    return true;
}

std::optional<QByteArray> NmeaClient::NumberField(const QString& item, int n, int width)
{
    const std::optional<QByteArray> sentence = DdeRequestNmeaSentence(item);
    if (!sentence)
        return std::nullopt;
    std::optional<QByteArray> field = GetNmeaField(*sentence, n, width);
    if (!field || field->isEmpty())
        return std::nullopt;
    return field;
}

bool NmeaClient::OpenStrings()
{
    if (!m_stringsOpen)
        m_stringsOpen = m_client->connectTopic(StringsTopic, RequestTimeoutMs);
    return m_stringsOpen;
}

void NmeaClient::DropStrings()
{
    if (m_stringsOpen)
        m_client->disconnectTopic(StringsTopic);
    m_stringsOpen = false;
}

std::optional<QByteArray> NmeaClient::RequestOnStrings(const QString& item)
{
    const std::optional<QByteArray> data = m_client->request(StringsTopic, item, RequestTimeoutMs);
    if (!data) {
        DropStrings();
        return std::nullopt;
    }
    return withoutNul(*data);
}

} // namespace velmar::nav
