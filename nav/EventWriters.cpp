#include "EventWriters.h"

#include "store/DbConnection.h"
#include "store/DbMessages.h"
#include "settings/ProgramSettings.h"
#include "store/RecordWriters.h"
#include "store/SqlText.h"
#include "store/TableInserter.h"
#include "platform/ProgramClock.h"
#include "platform/RunMode.h"
#include "platform/DateTimeText.h"

#include <sqlext.h>

namespace velmar::store {

namespace {

// UserFormErrors keeps 49 characters of each text.
constexpr int kUserFormErrorTextWidth = 49;
// Section number the detector effort tables store (no file section known).
constexpr int kNoFileSection = -1;

QString programTimeText()
{
    platform::SystemTime now;
    platform::GetProgramTime(&now);
    return platform::FormatTimeStamp(now);
}

QString charText(char c)
{
    return c ? QString(QLatin1Char(c)) : QString();
}

// Runs the insert; a failure beeps and is logged.
bool store(TableInserter& writer, const char* name)
{
    if (!ProgramClockSetOrTell())
        return false;
    const SQLRETURN r = writer.execute();
    if (sqlSucceeded(r))
        return true;
    DbBeep();
    qCWarning(lcStore).noquote() << name << "could not store a row:" << writer.lastError();
    return false;
}

void stampCrossReference(TableInserter& writer, const char* indexColumn)
{
    QString time;
    writer.setInt(indexColumn, GetLastGpsIndex(&time));
    writer.setText("GPSTime", time);
}

// The two ThingsHeard writers tell the operator, too.
bool storeThingHeard(TableInserter& writer, const char* name)
{
    const SQLRETURN r = writer.execute();
    if (sqlSucceeded(r))
        return true;
    DbMessage(nullptr, QStringLiteral("Error : %1").arg(r), QStringLiteral("Error"));
    DbBeep();
    qCWarning(lcStore).noquote() << name << "could not store a row:" << writer.lastError();
    return false;
}

int lastInsertedRow()
{
    SqlStatement st(GetDbConnection());
    if (!st.execDirect(QStringLiteral("SELECT last_insert_rowid()")))
        return 0;
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    SQLBindCol(st.handle(), 1, SQL_C_SLONG, &value, 0, &indicator);
    return sqlSucceeded(SQLFetch(st.handle())) ? int(value) : 0;
}

} // namespace

bool ProgramClockSetOrTell()
{
    if (platform::RunMode != platform::RunModeOffline)
        return true;
    platform::SystemTime now;
    platform::GetProgramTime(&now);
    if (now.isValid())
        return true;
    DbMessage(DbOwnerWindow(), QString::fromLatin1(kClockNotSetText), QString::fromLatin1(kClockNotSetCaption),
              DbIcon::Exclamation);
    return false;
}

bool DbWriteGpsData(const nav::GpsFixData& fix)
{
    static TableInserter w("GpsData");
    if (!IsDbOpen())
        return false;
    const QString time = platform::FormatTimeStamp(fix.programTime);
    w.setText("PCTime", time);
    w.setReal("Latitude", fix.GetLatitude() / 60.0);
    w.setReal("Longitude", fix.GetLongitude() / 60.0);
    w.setInt("GPSTime", fix.sentenceTime);
    w.setReal("Heading", fix.GetCourse());
    w.setText("HeadingType", charText(fix.courseReference));
    w.setReal("Speed", fix.speed);
    w.setText("SpeedType", charText(fix.speedUnit));
    w.setInt("GPSError", fix.statusCode);
    w.setText("DataStatus", charText(fix.statusLetter));
    w.setReal("TrueHeading", fix.GetTrueHeading());
    w.setReal("MagneticHeading", fix.GetMagHeading());
    const SQLRETURN r = w.execute();
    if (sqlSucceeded(r)) {
        // The database numbers the row; take its number rather than assume it.
        SetLastGpsReference(lastInsertedRow(), time);
        return true;
    }
    auto letter = [](char c) { return c ? c : ' '; };
    DbMessage(DbOwnerWindow(),
              QString::asprintf("Error : %d : %4.3g, %4.3g, %d, %4.1f, %c, %4.1f, %c, %d, %c", int(r),
                                fix.GetLatitude(), fix.GetLongitude(), int(fix.sentenceTime), double(fix.GetCourse()),
                                letter(fix.courseReference), double(fix.speed), letter(fix.speedUnit),
                                int(fix.statusCode), letter(fix.statusLetter)),
              QStringLiteral("DbWriteGpsData"), DbIcon::Stop);
    DbBeep();
    qCWarning(lcStore).noquote() << "DbWriteGpsData could not store a fix:" << w.lastError();
    return false;
}

bool DbWriteEffort(int programType, int status)
{
    static TableInserter porpoise("PorpoiseEffort");
    static TableInserter whistle("WhistleEffort");
    static TableInserter quintra("QuintraEffort");
    static TableInserter listening("ListeningEffort");
    if (!IsDbOpen())
        return false;
    TableInserter* w = nullptr;
    switch (programType) {
    case ProgramPorpoise: w = &porpoise; break;
    case ProgramWhistle: w = &whistle; break;
    case ProgramClick: w = &quintra; break;
    case ProgramListening: w = &listening; break;
    default: DbBeep(); return false;
    }
    RequestGpsPoll();
    if (platform::RunMode == platform::RunModeOffline)
        SetLastGpsTime(platform::FormatTimeStamp(platform::SystemTime::nowUtc()));
    w->setText("PCTime", programTimeText());
    w->setText("Status", EffortStatusText(status));
    stampCrossReference(*w, "GPSIndex");
    if (w == &listening) {
        w->setText("Comment", CurrentListeningEffortReason());
    } else {
        w->setText("FileName", QString());
        w->setInt("FileSection", kNoFileSection);
    }
    return store(*w, "DbWriteEffort");
}

bool DbWriteWhistle(const nav::WHISTLEDETECTION& whistle)
{
    static TableInserter w("Whistles");
    if (!IsDbOpen())
        return false;
    const nav::NewWhistlesRecord& r = whistle.record;
    w.setTime("PCTime", r.pcTime);
    w.setInt("WhistleNumber", r.whistleNumber);
    stampCrossReference(w, "GpsIndex");
    w.setReal("SectionTime", r.sectionTime);
    w.setInt("Channel", r.channel);
    w.setReal("Duration", r.duration);
    w.setReal("Correlation", r.correlation);
    w.setInt("Max Frequency", r.maxFrequency);
    w.setInt("Min Frequency", r.minFrequency);
    w.setInt("Ave Frequency", r.aveFrequency);
    w.setReal("Ave Amplitude", r.aveAmplitude);
    w.setReal("Max Amplitude", r.maxAmplitude);
    w.setInt("Peaks", r.peaks);
    w.setInt("Troughs", r.troughs);
    w.setInt("Max Peak Freq", r.maxPeakFreq);
    w.setInt("Min Trough Freq", r.minTroughFreq);
    w.setInt("Start Frequency", r.startFrequency);
    w.setInt("End Frequency", r.endFrequency);
    w.setReal("Bearing", r.bearing);
    w.setReal("Range", r.range);
    w.setText("Species", r.species);
    w.setText("File Name", r.fileName);
    w.setInt("File Section", r.fileSection);
    return store(w, "DbWriteWhistle");
}

bool DbWriteWhistleEvent(const nav::WHISTLEEVENT& event)
{
    static TableInserter w("WhistleEvents");
    if (!IsDbOpen())
        return false;
    const nav::NewWhistleEventRecord& r = event.record;
    w.setTime("EventStart", r.eventStart);
    stampCrossReference(w, "GpsIndex");
    w.setReal("Duration", r.duration);
    w.setInt("N Whistles", r.nWhistles);
    w.setInt("First Whistle", r.firstWhistle);
    w.setInt("Last Whistle", r.lastWhistle);
    w.setInt("Min Frequency", r.minFrequency);
    w.setInt("Max Frequency", r.maxFrequency);
    w.setInt("Ave Frequency", r.aveFrequency);
    w.setInt("N Bearings", r.nBearings);
    w.setReal("Min Bearing", r.minBearing);
    w.setReal("Max Bearing", r.maxBearing);
    w.setReal("Ave Bearing", r.aveBearing);
    w.setReal("Min Amplitude", r.minAmplitude);
    w.setReal("Max Amplitude", r.maxAmplitude);
    w.setReal("Ave Amplitude", r.aveAmplitude);
    w.setText("Species", r.species);
    w.setText("File Name", r.fileName);
    w.setInt("File Section", r.fileSection);
    return store(w, "DbWriteWhistleEvent");
}

bool DbWriteRightWhaleEvent(const nav::RWEVENT& event)
{
    static TableInserter w("Harmonic Events");
    if (!IsDbOpen())
        return false;
    const nav::RightWhaleEventRecord& r = event.record;
    w.setTime("EventStart", r.eventStart);
    stampCrossReference(w, "GpsIndex");
    w.setReal("Duration", r.duration);
    w.setInt("N Whistles", r.nWhistles);
    w.setInt("Min Freq", r.minFreq);
    w.setInt("Max Freq", r.maxFreq);
    w.setInt("PausedAtStart", r.pausedAtStart);
    w.setInt("PausedAtEnd", r.pausedAtEnd);
    w.setInt("Unsettled", r.unsettled);
    w.setText("File Name", r.fileName);
    w.setInt("File Section", r.fileSection);
    w.setReal("Score", r.score);
    w.setInt("Is Good", r.isGood);
    w.setInt("totPeaks", r.totPeaks);
    w.setInt("fatPeaks", r.fatPeaks);
    w.setReal("harmonicScore", r.harmonicScore);
    w.setText("Parameter Set", r.parameterSet);
    w.setInt("noGoodBearingWsls", r.noGoodBearingWsls);
    w.setReal("accurateBearing", r.accurateBearing);
    w.setReal("acBearingSTD", r.acBearingStd);
    w.setReal("BearingScore", r.bearingScore);
    w.setReal("maxStrengthOnBearing", r.maxStrengthOnBearing);
    w.setReal("avStrengthOnBearing", r.avStrengthOnBearing);
    w.setInt("numGoodBearingWsls2", r.numGoodBearingWsls2);
    w.setInt("maxInList", r.maxInList);
    for (int i = 0; i < nav::RightWhaleEventRecord::WhistleCount; ++i)
        w.setInt(QStringLiteral("Whistle%1").arg(i, 2, 10, QLatin1Char('0')).toLatin1().constData(),
                 r.whistles[std::size_t(i)]);
    return store(w, "DbWriteRightWhaleEvent");
}

bool DbWriteQuintraEvent(const nav::RCEventBase& event)
{
    static TableInserter w("QuintraEvents");
    if (!IsDbOpen())
        return false;
    const nav::NewRCEventRecord& r = event.record;
    w.setTime("EventTime", r.eventTime);
    w.setInt("Section Seconds", r.sectionSeconds);
    stampCrossReference(w, "GpsIndex");
    w.setReal("Duration", r.duration);
    w.setInt("nClicks", r.nClicks);
    w.setText("Species", r.species == nav::NewRCEventRecord::SpeciesSpermWhale ? QStringLiteral("Sperm Whale")
                         : r.species == nav::NewRCEventRecord::SpeciesDolphin  ? QStringLiteral("Dolphin")
                                                                               : QStringLiteral("Unknown"));
    w.setInt("Event Number", r.eventNumber);
    w.setInt("Whale Id", r.whaleId);
    w.setReal("Mean Bearing", r.meanBearing);
    w.setReal("First Bearing", r.firstBearing);
    w.setReal("Last Bearing", r.lastBearing);
    w.setReal("Mean ICI", r.meanIci);
    w.setReal("First ICI", r.firstIci);
    w.setReal("Last ICI", r.lastIci);
    w.setReal("Mean Range", r.meanRange);
    w.setReal("Mean Amplitude", r.meanAmplitude);
    return store(w, "DbWriteQuintraEvent");
}

bool DbWritePorpoiseEvent(const nav::PorpoiseEvent& event)
{
    static TableInserter w("PorpoiseEvents");
    if (!IsDbOpen())
        return false;
    const nav::PorpoiseEventRecord& r = event.record;
    w.setTime("EventStart", r.eventStart);
    w.setInt("Number", r.number);
    stampCrossReference(w, "GpsIndex");
    w.setText("FileName", r.fileName);
    w.setReal("Duration", r.duration);
    w.setText("SpeciesCode", r.speciesCode);
    w.setInt("Confidence", r.confidence);
    w.setInt("nPorpoiseClicks", r.nPorpoiseClicks);
    w.setInt("nBroadBandClicks", r.nBroadBandClicks);
    w.setInt("nOtherClicks", r.nOtherClicks);
    w.setReal("MinBearing", r.minBearing);
    w.setReal("MaxBearing", r.maxBearing);
    w.setText("Comment", r.comment);
    w.setInt("StartSection", r.startSection);
    w.setInt("EndSection", r.endSection);
    w.setReal("BackgroundDC", r.backgroundDc);
    w.setReal("BackgroundAC", r.backgroundAc);
    w.setReal("PorpoiseBearing", r.porpoiseBearing);
    w.setReal("OtherBearing", r.otherBearing);
    w.setInt("StartADCTime", r.startAdcTime);
    w.setInt("EndADCTime", r.endAdcTime);
    w.setInt("Automatic", r.automatic);
    w.setReal("TimeABeam", r.timeABeam);
    w.setReal("SecsOffBeam", r.secsOffBeam);
    w.setReal("RangeOffBeam", r.rangeOffBeam);
    w.setReal("InitialBearing", r.initialBearing);
    w.setReal("InitialRange", r.initialRange);
    w.setReal("SigTimeABeam", r.sigTimeABeam);
    w.setReal("SigSecsOff", r.sigSecsOff);
    w.setReal("Chi2", r.chi2);
    w.setReal("FitProb", r.fitProb);
    w.setInt("StoreClicks", r.storeClicks);
    return store(w, "DbWritePorpoiseEvent");
}

bool DbWriteSeismic(const nav::SEISMIC& seismic)
{
    static TableInserter w("Seismics");
    if (!IsDbOpen())
        return false;
    RequestGpsPoll();
    const nav::NewSeismicRecord& r = seismic.record;
    w.setTime("PCTime", r.pcTime);
    stampCrossReference(w, "GpsIndex");
    w.setText("Detector", r.detector);
    w.setInt("Channel", r.channel);
    w.setReal("Amplitude1", r.amplitude1);
    w.setReal("Amplitude2", r.amplitude2);
    return store(w, "DbWriteSeismic");
}

bool DbWriteThingHeard(const nav::THINGHEARD& thing)
{
    static TableInserter w("ThingsHeard");
    if (!IsDbOpen())
        return false;
    w.setTime("PCTime", thing.programTime);
    stampCrossReference(w, "GpsIndex");
    w.setText("Species", thing.GetName());
    w.setInt("Strength", thing.strength);
    w.setText("Comment", QString());
    return storeThingHeard(w, "DbWriteThingHeard");
}

bool DbWriteHeardComment(const QString& text)
{
    static TableInserter w("ThingsHeard");
    if (!IsDbOpen())
        return false;
    w.setText("PCTime", programTimeText());
    stampCrossReference(w, "GpsIndex");
    w.setText("Species", QString());
    w.setInt("Strength", 0);
    w.setText("Comment", text);
    return storeThingHeard(w, "DbWriteHeardComment");
}

bool DbWriteHydrophoneState(int power, int cable)
{
    static TableInserter w("Hydrophone");
    static QString lastPower;
    static QString lastCable;
    if (!IsDbOpen())
        return false;
    RequestGpsPoll();
    switch (power) {
    case 1: lastPower = QStringLiteral("On"); break;
    case 2: lastPower = QStringLiteral("Off"); break;
    case 3: lastPower = QStringLiteral("Unknown"); break;
    default: break;
    }
    switch (cable) {
    case 1: lastCable = QStringLiteral("Connected"); break;
    case 2: lastCable = QStringLiteral("Disconnected"); break;
    case 3: lastCable = QStringLiteral("Unknown"); break;
    default: break;
    }
    w.setText("PCTime", programTimeText());
    stampCrossReference(w, "GPSIndex");
    w.setText("Power", lastPower);
    w.setText("Cable", lastCable);
    return store(w, "DbWriteHydrophoneState");
}

bool DbWriteComment(const platform::SystemTime& time, const QString& comment, const QString& recording)
{
    static TableInserter w("Comments");
    if (!IsDbOpen())
        return false;
    w.setTime("PCTime", time);
    stampCrossReference(w, "GpsIndex");
    w.setText("Comment", comment);
    w.setText("Recording", recording);
    return store(w, "DbWriteComment");
}

bool DbWriteUserFormError(const QString& table, const QString& field, const QString& value)
{
    static TableInserter w("UserFormErrors");
    if (!IsDbOpen())
        return false;
    stampCrossReference(w, "GpsIndex");
    w.setText("DateTime", programTimeText());
    w.setText("Table", CutToWidth(table, kUserFormErrorTextWidth));
    w.setText("Field", CutToWidth(field, kUserFormErrorTextWidth));
    w.setText("Value", CutToWidth(value, kUserFormErrorTextWidth));
    return store(w, "DbWriteUserFormError");
}

} // namespace velmar::store
