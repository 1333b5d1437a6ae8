#pragma once
// GpsFixData: one GPS fix (time, position, course, speed, headings) as the
// main program keeps it, and GPSTHING, the node that keeps a fix in its data
// set's time-ordered list. Plain values, copied whole; the lists and searches
// live in GpsFixList.h, the sentence parsers in NmeaSentence.h.
//
// Positions are held as NMEA values (degrees x 100 + minutes, always
// positive) with their hemisphere letters; the accessors give signed minutes
// of arc, north and east positive.
//
// User-interface thread, like everything that holds fixes.
#include "platform/SystemTime.h"

#include <QString>

#include <cstdint>

namespace velmar::nav {

struct GpsFixData {
    // Marker of a heading that no instrument reported.
    static constexpr float NoHeading = -99999.0f;
    // Status codes of a fix, from its status letter.
    static constexpr int16_t StatusCodeValid = 0; // "A"
    static constexpr int16_t StatusCodeVoid = 3;  // "V"
    static constexpr int16_t StatusCodeOther = 4; // any other letter

    // Ordered by size, so that a season's track held in memory wastes no
    // padding (56 bytes a fix).
    float latitude = 0;  // ddmm.mmm
    float longitude = 0; // dddmm.mmm
    float speed = 0;     // knots over ground
    float course = 0;    // degrees over ground
    float trueHeading = NoHeading;
    float magHeading = NoHeading;
    int32_t sentenceTime = 0; // UTC of the sentence as hhmmss
    platform::SystemTime programTime;
    int16_t statusCode = 0;
    uint8_t valid = 0;        // 1 when the sentence reported a valid position
    char latitudeLetter = 0;  // 'N', 'S', or 0 when cleared
    char longitudeLetter = 0; // 'E', 'W', or 0 when cleared
    char courseReference = 'T';
    char speedUnit = 'N';
    char statusLetter = 0; // the sentence's status letter, 0 when cleared
    uint8_t noTime = 0;    // 1 when the sentence carried no time

    // A cleared fix stamped with the program time now.
    GpsFixData();
    // A cleared fix stamped with the given program time.
    explicit GpsFixData(const platform::SystemTime& programTime);

    // Signed minutes of arc: positive only for 'N' (latitude) and 'E' (longitude).
    double GetLatitude() const;
    double GetLongitude() const;
    // From signed degrees.
    void SetLatitude(double degrees);
    void SetLongitude(double degrees);
    // From signed minutes of arc; 0 takes the letters 'S' and 'W'.
    void SetPosition(double latitudeMinutes, double longitudeMinutes);

    float GetCourse() const { return course; }
    void SetCourse(float degrees) { course = degrees; }
    float GetTrueHeading() const { return trueHeading; }
    void SetTrueHeading(float degrees) { trueHeading = degrees; }
    float GetMagHeading() const { return magHeading; }
    void SetMagHeading(float degrees) { magHeading = degrees; }
    bool HasTrueHeading() const { return trueHeading != NoHeading; }
    bool HasMagHeading() const { return magHeading != NoHeading; }
    // The true heading when present, else the magnetic heading corrected by
    // the magnetic variation (degrees), else the course.
    double GetHeading(double magneticVariation) const;

    // Parts of the sentence time hhmmss.
    int SentenceHours() const { return sentenceTime / 10000; }
    int SentenceMinutes() const { return (sentenceTime % 10000) / 100; }
    int SentenceSeconds() const { return sentenceTime % 100; }

    // Seconds from earlier's sentence time to fix's, one midnight allowed
    // (a negative difference gets a day added).
    static int SecondsSince(const GpsFixData& fix, const GpsFixData& earlier);

    // "51°05.123´N": the fix's NMEA value and letter (no letter when cleared).
    static QString FormatLatitudeText(const GpsFixData& fix);
    static QString FormatLongitudeText(const GpsFixData& fix);
    // "hh:mm:ss" of the sentence time.
    static QString FormatSentenceTime(const GpsFixData& fix);
};

// Position texts of signed degrees: letter 'N' ('E') only above 0.
QString FormatLatitude(double degrees);
QString FormatLongitude(double degrees);

// One fix in a data set's list, oldest to newest. Created and freed by the
// fix list (GpsFixList.h) only.
struct GPSTHING {
    GpsFixData fix;
    int32_t secondsFromShowStart = 0; // show-data mode only
    int32_t Index = 0;                // the fix's Index in its GPS table
    uint64_t tickCount = 0;           // monotonic milliseconds at creation
    GPSTHING* newer = nullptr;
    GPSTHING* older = nullptr;
    int32_t dataSet = 0;
};

// One data set of GPS fixes, from the table GpsDataSets (entry 0 is GpsData).
struct GpsDataSet {
    static constexpr int TextWidth = 21;
    QString tableName;
    QString effortTable;
    QString effortControl;
    int32_t lineColour = 0; // colour value (red in the low byte)
};

} // namespace velmar::nav
