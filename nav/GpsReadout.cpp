#include "nav/GpsReadout.h"

#include "platform/RunMode.h"
#include "platform/DateTimeText.h"

namespace velmar::nav {

namespace {

QString letter(char c)
{
    return c ? QString(QLatin1Char(c)) : QString();
}

} // namespace

ReadoutText SimulatedGpsText()
{
    return {QStringLiteral("SIMULATED GPS"), ColourAlarm};
}

ReadoutText NmeaStatusText(uint32_t code)
{
    switch (code) {
    case NmeaIdle: return {QStringLiteral("NMEA Idle"), ColourWaiting};
    case NmeaOk: return {QStringLiteral("NMEA OK"), ColourNormal};
    case NmeaStarting: return {QStringLiteral("Starting"), ColourWaiting};
    case NmeaNoProgram: return {QStringLiteral("No Prog'"), ColourAlarm};
    case NmeaCrashed: return {QStringLiteral("Crashed"), ColourAlarm};
    case NmeaTimeOut: return {QStringLiteral("Timeout"), ColourAlarm};
    case NmeaPortError: return {QStringLiteral("Port Error"), ColourAlarm};
    case NmeaNoData: return {QStringLiteral("No Data"), ColourAlarm};
    case NmeaBadString: return {QStringLiteral("Bad String"), ColourAlarm};
    default: return {QStringLiteral("?????"), ColourAlarm};
    }
}

GpsPanelTexts GpsPanelTextsFor(const GpsFixData* given, quint32 runMode)
{
    const GpsFixData cleared{platform::SystemTime{}};
    const GpsFixData& fix = given ? *given : cleared;
    GpsPanelTexts panel;
    if (!fix.valid) {
        const ReadoutText noData{QStringLiteral("No Data"), ColourAlarm};
        panel.latitude = panel.longitude = panel.course = panel.speed = panel.time = noData;
        panel.trueHeading = panel.magHeading = noData;
        // The receiver answered but has no position: say so, rather than
        // leaving the status of the link as if all were well.
        if (fix.statusLetter == 'V')
            panel.status = ReadoutText{QStringLiteral("No Satellites"), ColourAlarm};
        return panel;
    }
    panel.status = ReadoutText{QStringLiteral("GPS OK"), ColourNormal};
    panel.latitude = ReadoutText{GpsFixData::FormatLatitudeText(fix), ColourNormal};
    panel.longitude = ReadoutText{GpsFixData::FormatLongitudeText(fix), ColourNormal};
    panel.course = ReadoutText{QString::asprintf("COG %4.1f °", double(fix.course)) + letter(fix.courseReference),
                               ColourNormal};
    panel.speed = ReadoutText{QString::asprintf("SOG %4.2f ", double(fix.speed)) + letter(fix.speedUnit), ColourNormal};
    panel.time = ReadoutText{runMode == platform::RunModeOnline
                                 ? QStringLiteral("Last Fix ") + GpsFixData::FormatSentenceTime(fix)
                                 : platform::FormatTimeStamp(fix.programTime),
                             ColourNormal};
    panel.trueHeading = ReadoutText{fix.HasTrueHeading() ? QString::asprintf("HDT %4.1f °T", double(fix.trueHeading))
                                                         : QStringLiteral("No TRUE Heading info"),
                                    ColourNormal};
    panel.magHeading = ReadoutText{fix.HasMagHeading() ? QString::asprintf("HDM %4.1f °M", double(fix.magHeading))
                                                       : QStringLiteral("No Mag' Heading info"),
                                   ColourNormal};
    return panel;
}

QString MapDatumText(uint32_t code, const QString& datum)
{
    switch (code) {
    case NmeaOk: return datum.left(MapDatumWidth);
    case NmeaNoProgram: return QStringLiteral("No NMEA Data");
    case NmeaCrashed: return QStringLiteral("No Map Datum");
    default: return QStringLiteral("Map Datum Error");
    }
}

} // namespace velmar::nav
