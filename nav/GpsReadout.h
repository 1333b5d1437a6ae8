#pragma once
// What the main window shows of the GPS link: the status codes of the NMEA
// link, the texts and colour codes of the GPS panel, and the interface the
// main window implements so that the poller can fill its read-outs.
//
// The text functions are pure; the interface is called on the user-interface
// thread.
#include "nav/GpsFixData.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace velmar::nav {

// Status codes of the NMEA link (the program status codes of the program
// links, as far as the link produces them).
enum NmeaStatus : uint32_t {
    NmeaIdle = 1,
    NmeaOk = 2,
    NmeaStarting = 64,
    NmeaNoProgram = 0x4000,
    NmeaCrashed = 0x20000, // also: a map datum sentence without a comma
    NmeaTimeOut = 0x40000,
    NmeaPortError = 0x80000,
    NmeaUnknownText = 0x200000,
    NmeaNoData = 0x1000000,
    NmeaBadString = 0x2000000,
};

// Colour codes of the status controls.
enum ReadoutColour : int {
    ColourNormal = 1,
    ColourAlarm = 2,
    ColourActive = 3,
    ColourWaiting = 4,
};

// Control ids of the GPS panel of the main window.
enum GpsPanelControl : int {
    ControlNmeaStatus = 31142,
    ControlMapDatum = 31145,
    ControlLatitude = 31146,
    ControlLongitude = 31147,
    ControlCourse = 31148,
    ControlSpeed = 31149,
    ControlTrueHeading = 31156,
    ControlMagHeading = 31157,
    ControlFixTime = 31256,
};

// Characters the datum box holds.
inline constexpr int MapDatumWidth = 50;

struct ReadoutText {
    QString text;
    int colour = ColourNormal;
    bool operator==(const ReadoutText&) const = default;
};

// The GPS panel for one fix; boxes without a value are left as they are.
struct GpsPanelTexts {
    std::optional<ReadoutText> status;
    std::optional<ReadoutText> latitude;
    std::optional<ReadoutText> longitude;
    std::optional<ReadoutText> course;
    std::optional<ReadoutText> speed;
    std::optional<ReadoutText> time;
    std::optional<ReadoutText> trueHeading;
    std::optional<ReadoutText> magHeading;
};

// "NMEA OK", "No Prog'", ... with their colour codes; "?????" for others.
ReadoutText NmeaStatusText(uint32_t code);
// The status box while the NMEA server simulates: "SIMULATED GPS" in alarm.
ReadoutText SimulatedGpsText();
// The panel for a fix (nothing: a cleared fix). A fix without a position
// reads "No Data", and its status "No Satellites" when the receiver said
// "V". runMode decides whether the time box shows the sentence time (online
// logging) or the fix's program time.
GpsPanelTexts GpsPanelTextsFor(const GpsFixData* fix, quint32 runMode);
// The datum box: the datum (cut to the box), or the failure.
QString MapDatumText(uint32_t code, const QString& datum);

// Implemented by the main window (and by fakes in tests).
class GpsReadout {
public:
    virtual ~GpsReadout() = default;
    virtual void ShowNmeaStatus(const ReadoutText& status) = 0;
    virtual void ShowGpsPanel(const GpsPanelTexts& panel) = 0;
    virtual void ShowMapDatum(const QString& datum) = 0;
    // A message box over the main window (not modal to the poll).
    virtual void ShowMessage(const QString& text, const QString& caption) = 0;
};

} // namespace velmar::nav
