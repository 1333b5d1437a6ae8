#pragma once
// The decisions of the deck window, apart from its widgets: which commands
// are available, where the slider puts the engine, how a play list moves on,
// which tracks may be joined, how the file list is made, sorted and turned
// back into paths, and how a sound file's header is opened.
//
// Pure functions and plain values; the folder listing and OpenSoundFile read
// the file system. Any thread.
#include "deck/DeckSettings.h"
#include "platform/SystemTime.h"
#include "sound/WavHeader.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace velmar::deck {

enum DeckCommand {
    CmdPlay,
    CmdPlayList,
    CmdPause,
    CmdWind,
    CmdRewind,
    CmdOptions,
    CmdFilter,
    CmdSelectFolder,
    CmdSubFolders
};

struct DeckCommandState {
    int lastState = 0; // last state the engine reported
    bool fileOpen = false;
    bool playListEmpty = true;
    uint32_t lastFileRate = 0;
    bool listByPeriod = false;
};
bool CommandAvailable(DeckCommand command, const DeckCommandState& s);

// The engine's start frame for a start position in seconds (truncated).
uint32_t StartFrame(uint32_t fileRate, double startSeconds);
// Position in seconds of a slider value (0..1000) in a file of `duration` s.
double SliderSeconds(int sliderValue, double duration);
// The slider value of a position (0 when the duration is not above 0).
int SliderValue(double positionSeconds, double duration);

// What follows the end of a playback in a play list.
struct NextTrack {
    bool chain = false; // another item follows
    int delayMs = 0;    // timer 556's delay (0: at once)
};
enum class LastTransport { Play, PlayList, Pause };
NextTrack AfterPlayback(LastTransport last, int index, int count, float interTrackDelay);

// Whether a track may be joined to the next one: JoinTracks set and the
// track's start time not at minute 25 or 55.
bool MayJoin(bool joinTracks, const std::optional<platform::SystemTime>& trackStart);

// The meter value of a peak: -60 when not above 0, else 20 ln(v) x 0.434105027.
int MeterDb(int peak);

// One row of the file list.
struct DeckListItem {
    QString name;     // column 0
    QString folder;   // column 1: ".\day2\" or the media name
    QString date;     // column 2
    QString length;   // column 3
    QString channels; // column 4
    QString rate;     // column 5
    QString comment;  // column 6
    int number = 0;   // running number in the listing
    QString column(int c) const;
};

// The WAV and AIFF files of `folder` (those of its sub-folders too when
// `recursive`), in listing order.
std::vector<DeckListItem> ListFolder(const QString& folder, bool recursive);

// A recording row of the show-data period.
struct PeriodRecording {
    QString startTime, mediaName, fileName, comment;
    int duration = 0, sampleRate = 0, channels = 0;
};
// The rows that end at or after `periodStart`, as list items; files found in
// `folder` get "* " before their comment.
std::vector<DeckListItem> ListPeriod(const std::vector<PeriodRecording>& rows, const platform::SystemTime& periodStart,
                                     const QString& folder);

// Sorting: a column click moves its state 0 or 2 to 1 and 1 to 2.
int NextSortState(int state);
// Items by the first 29 characters of the column, byte by byte; descending
// when the state is 2.
void SortItems(std::vector<DeckListItem>& items, int column, int state);

// The path of a folder-listing item: folder, column 1 less its ".\" and the
// name, with '/' between.
QString FolderItemPath(const QString& folder, const QString& column1, const QString& name);
// The path of a period-listing item.
QString PeriodItemPath(const QString& folder, const QString& name);

// An open sound file: the header read, its start time when the creation
// date (or, for AIFF, the name) gives one.
struct SoundFile {
    std::unique_ptr<QFile> file;
    sound::WAVHEADER header;
    std::optional<platform::SystemTime> start;
};
// ".wav" and ".aif" in any case; nothing when the file cannot be opened or
// its header read.
std::optional<SoundFile> OpenSoundFile(const QString& path);

// The folder line: the path, with the volume label in brackets when there is
// one.
QString FolderLine(const QString& folder, const QString& volumeLabel);

// The channel masks of the Channels page: bit i of the mask from box i.
uint32_t MaskFromBoxes(const std::array<bool, 8>& boxes);
std::array<bool, 8> BoxesFromMask(uint32_t mask);

} // namespace velmar::deck
