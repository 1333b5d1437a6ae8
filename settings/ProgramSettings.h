#pragma once
// ProgramSettings: Velmar's global settings block, one fixed-layout record of
// exactly 4289 bytes kept in "Velmar2000.dat" in the settings folder.
//
// In memory it is a plain struct of named fields; the file layout (packed,
// little-endian, no gaps) is produced and read by explicit writers and
// readers, so files written by the original program read the same. The
// offsets of the layout are the named constants of ProgramSettingsOffset.
//
// Threads: TheProgramSettings is changed on the user-interface thread only;
// other threads read fields that do not change while they run.
// ReadProgramSettings/WriteProgramSettings may be called from any thread
// (the automatic recorders write the block from their own threads): file
// access is serialised inside.
#include "platform/SystemTime.h"
#include "platform/FixedText.h"
#include "settings/LogFont.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmar::store {

// Byte offsets of the fields in the stored block.
namespace ProgramSettingsOffset {
inline constexpr std::size_t ProgramPaths = 0;
inline constexpr std::size_t DatabasePath = 1680;
inline constexpr std::size_t DriverName = 1960;
inline constexpr std::size_t DatabasePath2 = 1993;
inline constexpr std::size_t DriverName2 = 2273;
inline constexpr std::size_t SpareText2306 = 2306;
inline constexpr std::size_t PowerMonitorChannel = 2586;
inline constexpr std::size_t CableMonitorChannel = 2588;
inline constexpr std::size_t Spare2590 = 2590;
inline constexpr std::size_t MaxInterval = 2592;
inline constexpr std::size_t MinInterval = 2596;
inline constexpr std::size_t MapMargin = 2600;
inline constexpr std::size_t PlotGrid = 2604;
inline constexpr std::size_t PlotTrack = 2605;
inline constexpr std::size_t PlotPorpoises = 2606;
inline constexpr std::size_t PlotSperms = 2607;
inline constexpr std::size_t PlotWhistles = 2608;
inline constexpr std::size_t PlotHeard = 2609;
inline constexpr std::size_t PlotMap = 2610;
inline constexpr std::size_t ProgramAutoControl = 2611;
inline constexpr std::size_t WarningTime = 2635;
inline constexpr std::size_t DisplayTime = 2639;
inline constexpr std::size_t Spare2643 = 2643;
inline constexpr std::size_t DisplayLogFont = 2644;
inline constexpr std::size_t MapFile = 2704;
inline constexpr std::size_t ShowContour = 2984;
inline constexpr std::size_t SpermPlotAll = 3014;
inline constexpr std::size_t SpermMinBearingDifference = 3015;
inline constexpr std::size_t SpermTimeWindow = 3019;
inline constexpr std::size_t SpermClickColours = 3023;
inline constexpr std::size_t SpermClickRange = 3024;
inline constexpr std::size_t DolphinClickRange = 3028;
inline constexpr std::size_t SpareText3032 = 3032;
inline constexpr std::size_t SpareText3312 = 3312;
inline constexpr std::size_t Recorder3592 = 3592;
inline constexpr std::size_t Recorder3596 = 3596;
inline constexpr std::size_t MarkedPointCrosses = 3600;
inline constexpr std::size_t LabelledMapLine = 3601;
inline constexpr std::size_t FirstRunPending = 3605;
inline constexpr std::size_t DetectorsPosition = 3606;
inline constexpr std::size_t TimesAdjacent = 3607;
inline constexpr std::size_t BlackAndWhite = 3608;
inline constexpr std::size_t NGrabbers = 3609;
inline constexpr std::size_t Recorder3610 = 3610;
inline constexpr std::size_t Recorder3614 = 3614;
inline constexpr std::size_t RecorderSampleRate = 3618;
inline constexpr std::size_t RecorderChannels = 3622;
inline constexpr std::size_t RecorderFolder = 3624;
inline constexpr std::size_t Recorder3884 = 3884;
inline constexpr std::size_t Recorder3888 = 3888;
inline constexpr std::size_t RecorderMediaInitials = 3892;
inline constexpr std::size_t RecorderFileInitials = 3912;
inline constexpr std::size_t Recorder3916 = 3916;
inline constexpr std::size_t Recorder3920 = 3920;
inline constexpr std::size_t RecorderNotice = 3924;
inline constexpr std::size_t Recorder3944 = 3944;
inline constexpr std::size_t Recorder3948 = 3948;
inline constexpr std::size_t Recorder3952 = 3952;
inline constexpr std::size_t RecorderFolderSizeMb = 3953;
inline constexpr std::size_t Recorder3957 = 3957;
inline constexpr std::size_t RecorderFileSizeMb = 3958;
inline constexpr std::size_t Recorder3962 = 3962;
inline constexpr std::size_t IODeviceType = 3966;
inline constexpr std::size_t IODeviceNumber = 3970;
inline constexpr std::size_t IODeviceBits = 3974;
inline constexpr std::size_t IODeviceChannels = 3978;
inline constexpr std::size_t PowerMonitor = 3982;
inline constexpr std::size_t StartTime = 3986;
inline constexpr std::size_t EndTime = 4002;
inline constexpr std::size_t WeatherPort = 4018;
inline constexpr std::size_t CollectWeather = 4022;
inline constexpr std::size_t EffortYes = 4023;
inline constexpr std::size_t EffortForm = 4024;
inline constexpr std::size_t EffortControl = 4074;
inline constexpr std::size_t TrackPenWidth = 4124;
inline constexpr std::size_t HydrophoneLength = 4128;
inline constexpr std::size_t MagneticVariation = 4132;
inline constexpr std::size_t LengthUnits = 4136;
inline constexpr std::size_t ReplaySpeedUp = 4140;
inline constexpr std::size_t PlotStatics = 4144;
inline constexpr std::size_t RestartMode = 4148;
inline constexpr std::size_t NoStartupNotice = 4152;
inline constexpr std::size_t MaxEffortFixInterval = 4153;
inline constexpr std::size_t CoastColour = 4157;
inline constexpr std::size_t MapFollowsShip = 4161;
inline constexpr std::size_t Spare4162 = 4162;
inline constexpr std::size_t Spare4163 = 4163;
inline constexpr std::size_t Spare4165 = 4165;
inline constexpr std::size_t LookupPopup = 4169;
inline constexpr std::size_t ZoomStep = 4170;
inline constexpr std::size_t GpsSentence = 4174;
inline constexpr std::size_t GgaTalker = 4175;
inline constexpr std::size_t RmcTalker = 4178;
inline constexpr std::size_t FormErrorChecking = 4181;
inline constexpr std::size_t FormErrorWarnings = 4185;
inline constexpr std::size_t ButtonDeviceType = 4189;
inline constexpr std::size_t ButtonDeviceNumber = 4193;
inline constexpr std::size_t ButtonInputType = 4197;
inline constexpr std::size_t ButtonInputPort = 4201;
inline constexpr std::size_t ButtonOutputPort = 4205;
inline constexpr std::size_t ButtonCountRate = 4209;
inline constexpr std::size_t SimpleWarningTimes = 4213;
inline constexpr std::size_t ButtonSampleRate = 4214;
inline constexpr std::size_t ShowBottomControls = 4218;
inline constexpr std::size_t IdSoundCardsByName = 4219;
inline constexpr std::size_t IdCamerasByName = 4220;
inline constexpr std::size_t DiskWarningHours = 4221;
inline constexpr std::size_t HdtTalker = 4223;
inline constexpr std::size_t ReadHdt = 4226;
inline constexpr std::size_t HdmTalker = 4227;
inline constexpr std::size_t ReadHdm = 4230;
inline constexpr std::size_t Reserved = 4231;
inline constexpr std::size_t End = 4289;
} // namespace ProgramSettingsOffset

// Program types as bit values, used throughout the program links.
enum ProgramType : int {
    ProgramPorpoise = 1,
    ProgramWhistle = 2,
    ProgramClick = 4,
    ProgramNmea = 8,
    ProgramListening = 16,
    ProgramAutoRecording = 32,
};

// Bits of ProgramAutoControl entries.
inline constexpr int32_t AutoStart = 1;
inline constexpr int32_t AutoStop = 2;

struct ProgramSettings {
    static constexpr std::size_t ByteSize = ProgramSettingsOffset::End;
    static constexpr std::size_t PathSize = 280;
    static constexpr std::size_t ProgramSlots = 6;
    static constexpr std::size_t ContourLevels = 30;
    static constexpr std::size_t TalkerSize = 3;
    static constexpr std::size_t ReservedSize = 58;

    using Path = platform::FixedText<PathSize>;
    using Talker = platform::FixedText<TalkerSize>;

    // Fills every default and then the default program paths.
    ProgramSettings();

    // Paths of the watched programs, indexed by ProgramTypeIndex (slots 3 and
    // 4, listening and automatic recordings, have no program file).
    std::array<Path, ProgramSlots> ProgramPaths;
    Path DatabasePath;                   // the survey database
    platform::FixedText<33> DriverName;  // stored and copied only
    Path DatabasePath2;                  // not read
    platform::FixedText<33> DriverName2; // not read
    Path SpareText2306;                  // not read
    int16_t PowerMonitorChannel = 0;     // digital input of the hydrophone power monitor
    int16_t CableMonitorChannel = 1;     // digital input of the hydrophone cable monitor
    int16_t Spare2590 = 1;
    int32_t MaxInterval = 10; // GPS: longest interval between readings, s
    int32_t MinInterval = 5;  // GPS: shortest interval between readings, s
    float MapMargin = 20.0f;  // minutes of arc around the fitted track
    bool PlotGrid = true;
    bool PlotTrack = true;
    bool PlotPorpoises = false;
    bool PlotSperms = false;
    bool PlotWhistles = false;
    bool PlotHeard = false;
    bool PlotMap = true;
    // Per ProgramTypeIndex: AutoStart | AutoStop bits.
    std::array<int32_t, ProgramSlots> ProgramAutoControl{2, 2, 2, 2, 2, 0};
    int32_t WarningTime = 30; // minutes
    int32_t DisplayTime = 60; // minutes
    bool Spare2643 = true;
    LogFont DisplayLogFont;
    Path MapFile;
    std::array<bool, ContourLevels> ShowContour{true};
    bool SpermPlotAll = true;
    float SpermMinBearingDifference = 15.0f; // degrees
    int32_t SpermTimeWindow = 30;            // seconds
    bool SpermClickColours = false;
    float SpermClickRange = 4.0f;   // default range of a sperm-whale click event
    float DolphinClickRange = 1.0f; // default range of a dolphin click event
    Path SpareText3032;
    Path SpareText3312;
    // The recorder block (3592 to 3965, less the fields 3600 to 3609 inside
    // it) is copied by the settings pages and read by no operation.
    int32_t Recorder3592 = 1;
    int32_t Recorder3596 = 1;
    bool MarkedPointCrosses = true;
    int32_t LabelledMapLine = 0;
    bool FirstRunPending = true;
    uint8_t DetectorsPosition = 0; // 0 not shown, 1 down the left side, 2 on a tab
    uint8_t TimesAdjacent = 0;     // 0 GMT only, 1 side by side, 2 one above the other
    bool BlackAndWhite = false;    // status texts in black and white
    uint8_t NGrabbers = 0;         // number of camera forms
    int32_t Recorder3610 = 1;
    int32_t Recorder3614 = 0;
    int32_t RecorderSampleRate = 48000;
    int16_t RecorderChannels = 2;
    platform::FixedText<260> RecorderFolder;
    int32_t Recorder3884 = 15;
    int32_t Recorder3888 = 60;
    platform::FixedText<20> RecorderMediaInitials;
    platform::FixedText<4> RecorderFileInitials;
    int32_t Recorder3916 = 5;
    int32_t Recorder3920 = 1;
    platform::FixedText<20> RecorderNotice;
    int32_t Recorder3944 = 16;
    int32_t Recorder3948 = 0;
    bool Recorder3952 = true;
    int32_t RecorderFolderSizeMb = 600;
    bool Recorder3957 = true;
    int32_t RecorderFileSizeMb = 600;
    int32_t Recorder3962 = 120;
    int32_t IODeviceType = 0; // 0 none, 3 Measurement Computing, 5 NI-DAQ, 10 NI-DAQmx
    int32_t IODeviceNumber = 0;
    int32_t IODeviceBits = 16;
    int32_t IODeviceChannels = 0;
    int32_t PowerMonitor = 0;       // 1 watch hydrophone power, 2 watch the cable
    platform::SystemTime StartTime; // shown-data window
    platform::SystemTime EndTime;
    int32_t WeatherPort = 2; // serial port 1 to 4
    bool CollectWeather = false;
    bool EffortYes = false;
    platform::FixedText<50> EffortForm;
    platform::FixedText<50> EffortControl;
    int32_t TrackPenWidth = 1;      // pixels, 1 to 9
    float HydrophoneLength = 0.0f;  // metres behind the ship
    float MagneticVariation = 0.0f; // degrees east, -180 to 180
    int32_t LengthUnits = 1;        // 1 nautical miles, 2 metric
    int32_t ReplaySpeedUp = 3600;
    int32_t PlotStatics = 0; // bit n: static-object group n drawn
    int32_t RestartMode = 0; // run mode to resume after a restart, 0 none
    bool NoStartupNotice = false;
    int32_t MaxEffortFixInterval = 300; // seconds
    int32_t CoastColour = 0;
    bool MapFollowsShip = true;
    bool Spare4162 = false;
    int16_t Spare4163 = 60;
    int32_t Spare4165 = 0;
    bool LookupPopup = false; // look-up selections in a pop-up box
    float ZoomStep = 2.0f;    // above 1
    uint8_t GpsSentence = 1;  // 1 RMC, 2 GGA
    Talker GgaTalker;
    Talker RmcTalker;
    int32_t FormErrorChecking = 0; // 0 none, 1 immediate, 2 when saved
    int32_t FormErrorWarnings = 0; // 0 never, 1 manual saves only, 2 always
    int32_t ButtonDeviceType = 0;  // 0 none, 3 Measurement Computing
    int32_t ButtonDeviceNumber = 0;
    int32_t ButtonInputType = 0;
    int32_t ButtonInputPort = 0;
    int32_t ButtonOutputPort = 0;
    int32_t ButtonCountRate = 5; // Hz
    bool SimpleWarningTimes = false;
    int32_t ButtonSampleRate = 100;
    bool ShowBottomControls = false;
    bool IdSoundCardsByName = false;
    bool IdCamerasByName = false;
    int16_t DiskWarningHours = 6;
    Talker HdtTalker;
    bool ReadHdt = false;
    Talker HdmTalker;
    bool ReadHdm = false;
    std::array<uint8_t, ReservedSize> Reserved{};

    bool operator==(const ProgramSettings&) const = default;

    // The stored block, exactly ByteSize bytes.
    QByteArray toBytes() const;

    // Reads a stored block. False, leaving this record unchanged, when fewer
    // than ByteSize bytes are given; longer input is read as far as ByteSize.
    // Texts are ended within their width, values out of their range take
    // their default, and zero fields of older layouts get their defaults.
    bool fromBytes(const QByteArray& bytes);

    // For each program slot with a program file, looks for the default
    // program beside our executable where the configured file is missing.
    void SetDefaultProgramPaths();
};

// The process's one settings block, constructed with the defaults when the
// program loads.
extern ProgramSettings TheProgramSettings;

// The file name of the block in the settings folder.
inline constexpr char ProgramSettingsFileName[] = "Velmar2000.dat";
// Caption of the message box a caller shows with a read or write error text.
inline constexpr char SettingsFileErrorCaption[] = "Default File Open";

// Full path of "Velmar2000.dat" in the settings folder.
QString ProgramSettingsFilePath();

// Fills TheProgramSettings from the file. False when the file is missing,
// shorter than the block or cannot be opened; the record is then unchanged
// and the caller replaces it by defaults. errorText, when given, receives
// "Error opening file <path>" when the file exists but cannot be opened, and
// is emptied otherwise (a missing or short file is a first run, not an error).
bool ReadProgramSettings(QString* errorText = nullptr);

// Stores TheProgramSettings whole. The file is replaced atomically, so a
// failed or interrupted write leaves the old file as it was. False, with the
// reason in errorText, when the block could not be written completely.
bool WriteProgramSettings(QString* errorText = nullptr);

// The same on any file and record (tests, tools).
bool ReadProgramSettingsFile(const QString& path, ProgramSettings& into, QString* errorText = nullptr);
bool WriteProgramSettingsFile(const QString& path, const ProgramSettings& from, QString* errorText = nullptr);

// Keeps path when a file of that name exists (true). Otherwise tries name in
// our executable's folder: when it exists the path becomes that (true); else
// the path stays as it was (false). A joined path that would not fit in the
// field also leaves it unchanged (false).
bool FindProgramFile(ProgramSettings::Path& path, const QString& name);

// Fills the program paths of TheProgramSettings (see the member).
void SetDefaultProgramPaths();

// Layout check for tests: -1 when the fields follow one another without gap
// or overlap up to ByteSize, else the offset where the layout goes wrong.
long ProgramSettingsLayoutFault();

// Index of a program type bit in ProgramPaths and ProgramAutoControl;
// -1 for any other value.
int ProgramTypeIndex(int typeBit);

} // namespace velmar::store
