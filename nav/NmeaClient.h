#pragma once
// NmeaClient: the main program's side of the NMEA server's DDE service
// "NMEA": the server's state, the position and heading sentences of a GPS
// poll, the map datum, and single fields of any sentence for the user forms.
//
// Every request waits at most RequestTimeoutMs; nothing here waits longer or
// starts anything. One conversation on topic "Strings" is kept open from its
// first use until a request on it fails, so the next request reconnects.
//
// User-interface thread only.
#include "nav/GpsFixData.h"
#include "nav/GpsReadout.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace velmar::platform {
class DdeClient;
}

namespace velmar::nav {

// Which sentences a poll reads, from the GPS settings.
struct NmeaSentenceChoice {
    static constexpr int UseRMC = 1;
    static constexpr int UseGGA = 2;
    int sentence = UseRMC;
    QString rmcTalker = QStringLiteral("GP");
    QString ggaTalker = QStringLiteral("GP");
    bool readHdt = false;
    QString hdtTalker = QStringLiteral("HE");
    bool readHdm = false;
    QString hdmTalker = QStringLiteral("HE");

    // From the program's settings block.
    static NmeaSentenceChoice FromProgramSettings();
};

class NmeaClient : public QObject {
    Q_OBJECT
public:
    static constexpr int RequestTimeoutMs = 100;
    static constexpr const char* Service = "NMEA";
    // Buffer sizes of the field reads.
    static constexpr int SentenceBufferSize = 512;
    static constexpr int HeadingFieldWidth = 10;

    explicit NmeaClient(QObject* parent = nullptr);
    ~NmeaClient() override;

    // The server's state: NmeaIdle, NmeaOk, NmeaStarting, NmeaTimeOut,
    // NmeaPortError, NmeaUnknownText; NmeaNoProgram when no conversation
    // opens, NmeaNoData when it does not answer.
    uint32_t DdeGetNmeaStatus();
    // True when the server says its sentences come from its simulator.
    bool DdeNmeaSimulating();

    // Reads and parses the chosen position sentence into fix (cleared by the
    // caller), then the heading sentences that are chosen. NmeaOk,
    // NmeaNoProgram, NmeaNoData or NmeaBadString. messageBox is told when the
    // conversation cannot be opened.
    uint32_t DdeGetGPSData(GpsFixData& fix, const NmeaSentenceChoice& choice);

    // The datum of the PGRMM sentence: NmeaOk (datum set), NmeaNoProgram,
    // NmeaNoData, or NmeaCrashed when the sentence has no comma.
    uint32_t DdeGetMapDatum(QString& datum);

    // The newest sentence of that name (such as "GPHDT"), without its NUL;
    // nothing when another request is under way, or on any failure.
    std::optional<QByteArray> DdeRequestNmeaSentence(const QString& item);

    // Field n (0 the name) of the newest sentence of that name. Numbers must
    // be present, not empty and shorter than width characters.
    bool DdeGetNmeaInt(const QString& item, int n, int32_t& value, int width);
    bool DdeGetNmeaFloat(const QString& item, int n, double& value, int width);
    // An empty field gives an empty text; a field of size or more characters
    // fails.
    bool DdeGetNmeaString(const QString& item, int n, QString& text, int size);

    // Told with the text and caption of a message for the operator.
    std::function<void(const QString& text, const QString& caption)> messageBox;

private:
    bool OpenStrings();
    void DropStrings();
    std::optional<QByteArray> RequestOnStrings(const QString& item);
    std::optional<QByteArray> NumberField(const QString& item, int n, int width);
    // The heading of the newest HDT or HDM sentence of that talker, checked
    // whole (checksum, range) as the position sentences are.
    std::optional<float> RequestHeading(const QString& talker, const char* type);

    std::unique_ptr<platform::DdeClient> m_client;
    bool m_stringsOpen = false;
    int m_busy = 0;
};

} // namespace velmar::nav
