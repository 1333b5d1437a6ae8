// The deck window over a fake engine, with its file list, option pages and
// filter dialog: what the operator's clicks make the engine do, how play
// lists chain, what the parent is told, and the rules of each field.
#include "DeckFakes.h"

#include "deck/ui/DeckLogic.h"
#include "deck/ui/DeckOptionPages.h"
#include "deck/ui/TMavrelDlgClient.h"
#include "deck/ui/DigFilterDialog.h"
#include "platform/DateTimeText.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace decktest;
using velmar::platform::SystemTime;

struct FakeTransport final : DeckTransport {
    struct Log {
        std::vector<uint32_t> startFrames;
        std::vector<QString> startedFiles;
        int stops = 0;
        uint32_t position = 0;
    };
    explicit FakeTransport(Log& log) : m_log(log) {}
    void start(const DeckStart& s) override
    {
        m_log.startFrames.push_back(s.startFrame);
        auto* file = qobject_cast<QFile*>(s.file);
        m_log.startedFiles.push_back(file ? QFileInfo(file->fileName()).fileName() : QString());
    }
    void stop() override { ++m_log.stops; }
    uint32_t position() const override { return m_log.position; }
    Log& m_log;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A WAV file of `seconds` whose header names its start time.
QByteArray wavAt(int seconds, const SystemTime& start, int rate = 8000)
{
    QByteArray wav = makeWav(1, rate, std::vector<int16_t>(std::size_t(seconds * rate), 100));
    velmar::sound::WAVHEADER h;
    QBuffer b(&wav);
    b.open(QIODevice::ReadWrite);
    velmar::sound::ReadWavHeader(h, &b);
    h.setCreationDate(velmar::sound::RecordingCreationDate(start));
    b.seek(0);
    velmar::sound::WriteWavHeader(h, &b);
    return wav;
}

class DeckWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("VELMAR_HOME", dir.path().toLocal8Bit());
        TheDeckSettingsFile() = DeckSettingsFile{};
        TheDeckSettingsFile().deck.setFolder(dir.filePath(QStringLiteral("tapes")));
        QDir().mkpath(dir.filePath(QStringLiteral("tapes")));
    }
    std::unique_ptr<TMavrelDlgClient> makeDeck(quint32 mode = DeckOfflineMode)
    {
        DeckWindowServices s;
        s.showMessage = [this](const QString& t, const QString&) { messages << t; };
        s.askOkCancel = [this](const QString& t, const QString&) {
            prompts << t;
            return promptAnswer;
        };
        s.clockState = [this](int state) { clockStates.push_back(state); };
        s.periodRecordings = [this] { return periodRows; };
        s.periodStart = [] { return SystemTime{2010, 12, 3, 8, 0, 0, 0, 0}; };
        auto deck = std::make_unique<TMavrelDlgClient>(nullptr, mode, std::move(s));
        deck->setTransport(std::make_unique<FakeTransport>(log));
        return deck;
    }
    // Selects the listed items with these names, as a click would.
    static void select(TMavrelDlgClient& deck, const QStringList& names)
    {
        deck.list()->clearSelection();
        for (const QString& n : names)
            for (auto* item : deck.list()->findItems(n, Qt::MatchExactly, 0))
                item->setSelected(true);
        deck.listClicked();
    }
    static void engine(TMavrelDlgClient& deck, std::initializer_list<int> states)
    {
        for (int s : states)
            deck.engineStateChanged(s);
    }
    QString tape(const QString& name) const { return dir.filePath(QStringLiteral("tapes/") + name); }

    QTemporaryDir dir;
    FakeTransport::Log log;
    QStringList messages, prompts;
    bool promptAnswer = true;
    std::vector<int> clockStates;
    std::vector<PeriodRecording> periodRows;
};

TEST(DeckLogic, CommandsSliderJoinsAndMeters)
{
    EXPECT_TRUE(CommandAvailable(CmdPlay, {0, true, true, 0, false}));
    EXPECT_FALSE(CommandAvailable(CmdPlay, {1, true, true, 0, false}));
    EXPECT_FALSE(CommandAvailable(CmdPlay, {0, false, true, 0, false}));
    EXPECT_TRUE(CommandAvailable(CmdPlayList, {1, false, false, 0, false}));
    EXPECT_TRUE(CommandAvailable(CmdPause, {1, false, true, 0, false}));
    EXPECT_FALSE(CommandAvailable(CmdOptions, {4, false, true, 0, false}));
    EXPECT_FALSE(CommandAvailable(CmdFilter, {0, true, true, 0, false}));
    EXPECT_TRUE(CommandAvailable(CmdFilter, {0, false, true, 48000, false}));
    EXPECT_FALSE(CommandAvailable(CmdSubFolders, {0, false, true, 0, true}));

    EXPECT_EQ(StartFrame(48000, SliderSeconds(500, 60.0)), 30u * 48000u);
    EXPECT_EQ(SliderValue(15.0, 60.0), 250);
    EXPECT_EQ(SliderValue(15.0, 0.0), 0);

    EXPECT_FALSE(MayJoin(false, std::nullopt));
    EXPECT_FALSE(MayJoin(true, SystemTime{2010, 12, 3, 8, 10, 25, 0, 0}));
    EXPECT_FALSE(MayJoin(true, SystemTime{2010, 12, 3, 8, 10, 55, 0, 0}));
    EXPECT_TRUE(MayJoin(true, SystemTime{2010, 12, 3, 8, 10, 26, 0, 0}));

    EXPECT_FALSE(AfterPlayback(LastTransport::Pause, 0, 3, 2.0f).chain);
    EXPECT_FALSE(AfterPlayback(LastTransport::Play, 2, 3, 2.0f).chain);
    EXPECT_EQ(AfterPlayback(LastTransport::Play, 0, 3, 2.5f).delayMs, 2500);

    EXPECT_EQ(MeterDb(0), -60);
    EXPECT_EQ(MeterDb(32768), 0);
    EXPECT_EQ(MeterDb(3277), -19); // the deck's factor, truncated toward zero

    for (uint32_t mask : {0u, 1u, 0x81u, 0xFFu})
        EXPECT_EQ(MaskFromBoxes(BoxesFromMask(mask)), mask);
    EXPECT_EQ(MaskFromBoxes(BoxesFromMask(0x1FFu)), 0xFFu); // bits 8 and above are not routed
}

TEST_F(DeckWindowTest, FolderListingPathsSortAndOpening)
{
    writeFile(tape(QStringLiteral("top.wav")), wavAt(1, {2010, 12, 3, 8, 14, 3, 5, 0}));
    writeFile(tape(QStringLiteral("day2/Rec20120229_101500.aif")), makeAiff(1, 8000, std::vector<int16_t>(8000, 5)));
    writeFile(tape(QStringLiteral("CAPS.WAV")), wavAt(1, {2009, 1, 4, 1, 0, 0, 0, 0}));
    writeFile(tape(QStringLiteral("notes.txt")), "x");
    // Folders are folders whatever else they are: hidden, read-only.
    writeFile(tape(QStringLiteral(".hidden/h.wav")), wavAt(1, {2011, 1, 6, 7, 0, 0, 0, 0}));
    QFile::setPermissions(tape(QStringLiteral(".hidden")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    const auto flat = ListFolder(dir.filePath(QStringLiteral("tapes")), false);
    ASSERT_EQ(flat.size(), 2u); // the sub-folder is not entered
    auto all = ListFolder(dir.filePath(QStringLiteral("tapes")), true);
    QFile::setPermissions(tape(QStringLiteral(".hidden")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(all.size(), 4u);
    const auto hidden = std::find_if(all.begin(), all.end(), [](const DeckListItem& i) { return i.name == "h.wav"; });
    ASSERT_NE(hidden, all.end());
    EXPECT_EQ(hidden->folder, QStringLiteral(".\\.hidden\\"));
    all.erase(hidden);
    const auto aif = std::find_if(all.begin(), all.end(),
                                  [](const DeckListItem& i) { return i.name.endsWith(".aif"); });
    ASSERT_NE(aif, all.end());
    EXPECT_EQ(aif->folder, QStringLiteral(".\\day2\\"));
    // 29 February is a real date in a file name.
    EXPECT_EQ(aif->date, QStringLiteral("2012-02-29 10:15:00"));
    const QString aifPath = FolderItemPath(dir.filePath(QStringLiteral("tapes/")), aif->folder, aif->name);
    EXPECT_EQ(aifPath, tape(QStringLiteral("day2/Rec20120229_101500.aif")));
    EXPECT_TRUE(OpenSoundFile(aifPath).has_value());
    const auto caps = OpenSoundFile(tape(QStringLiteral("CAPS.WAV")));
    ASSERT_TRUE(caps.has_value());
    EXPECT_EQ(caps->start->wYear, 2009);
    EXPECT_FALSE(OpenSoundFile(tape(QStringLiteral("notes.txt"))).has_value());

    SortItems(all, 2, NextSortState(0));
    EXPECT_EQ(all.front().name, QStringLiteral("CAPS.WAV"));
    SortItems(all, 2, NextSortState(1));
    EXPECT_EQ(all.front().name, QStringLiteral("Rec20120229_101500.aif"));
}

TEST_F(DeckWindowTest, PeriodListingMarksPresentFilesAndPromptsForMissingOnes)
{
    writeFile(tape(QStringLiteral("here.wav")), wavAt(1, {2010, 12, 3, 8, 9, 0, 0, 0}));
    periodRows = {{"2010-12-08 09:00:00", "DISK1  ", "here.wav  ", "seen  ", 60, 8000, 1},
                  {"2010-12-08 09:10:00", "DISK2", "gone.wav", "lost", 60, 8000, 1},
                  {"2010-12-07 09:00:00", "OLD", "old.wav", "", 60, 8000, 1},  // ended before the period
                  {"2010-13-07 09:00:00", "BAD", "bad.wav", "", 60, 8000, 1}}; // month 13 is refused
    TheDeckSettingsFile().deck.ListByPeriod = 1;
    auto deck = makeDeck(DeckShowDataMode);
    ASSERT_EQ(deck->items().size(), 2u);
    EXPECT_EQ(deck->list()->headerItem()->text(1), QStringLiteral("Media Name"));
    EXPECT_EQ(deck->items()[0].comment, QStringLiteral("* seen"));
    EXPECT_EQ(deck->items()[1].comment, QStringLiteral("lost"));

    promptAnswer = false;
    select(*deck, {QStringLiteral("gone.wav")});
    deck->listDoubleClicked();
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_TRUE(prompts.front().startsWith(QStringLiteral("Please insert the disk labelled DISK2")));
    EXPECT_TRUE(deck->openPath().isEmpty());
    select(*deck, {QStringLiteral("here.wav")});
    deck->listDoubleClicked();
    EXPECT_EQ(deck->openPath(), tape(QStringLiteral("here.wav")));
}

TEST_F(DeckWindowTest, DoubleClickPlaysFromTheStartOnlyWhileStopped)
{
    writeFile(tape(QStringLiteral("a.wav")), wavAt(60, {2010, 12, 3, 8, 14, 0, 0, 0}));
    auto deck = makeDeck();
    select(*deck, {QStringLiteral("a.wav")});
    deck->listDoubleClicked();
    QCoreApplication::processEvents();
    ASSERT_EQ(log.startFrames, std::vector<uint32_t>{0});
    engine(*deck, {2, 1});
    deck->listDoubleClicked();
    QCoreApplication::processEvents();
    EXPECT_EQ(log.startFrames.size(), 1u);

    // Slider at 500 of a 60 s file: the engine starts at 30 s.
    engine(*deck, {4, 0});
    deck->slider()->setValue(500);
    deck->sliderReleased();
    deck->play();
    EXPECT_EQ(log.startFrames.back(), 30u * 8000u);
}

TEST_F(DeckWindowTest, PlayListChainsWithItsDelayUntilPaused)
{
    for (const char* n : {"1.wav", "2.wav", "3.wav"})
        writeFile(tape(QLatin1String(n)), wavAt(1, {2010, 12, 3, 8, 14, 0, 0, 0}));
    TheDeckSettingsFile().deck.InterTrackDelay = 2.0f;
    auto deck = makeDeck();
    select(*deck, {QStringLiteral("1.wav"), QStringLiteral("2.wav"), QStringLiteral("3.wav")});
    deck->playList();
    QCoreApplication::processEvents();
    ASSERT_EQ(log.startedFiles, std::vector<QString>{QStringLiteral("1.wav")});
    engine(*deck, {2, 1, 4, 0});
    EXPECT_EQ(deck->nextTrackDelayMs(), 2000);
    deck->nextTrackTimer(); // the 2 s delay has passed
    QCoreApplication::processEvents();
    ASSERT_EQ(log.startedFiles.size(), 2u);
    EXPECT_EQ(log.startedFiles[1], QStringLiteral("2.wav"));

    engine(*deck, {2, 1});
    deck->pause();
    engine(*deck, {4, 0});
    EXPECT_EQ(deck->nextTrackDelayMs(), -1); // Pause broke the chain
    QCoreApplication::processEvents();
    EXPECT_EQ(log.startedFiles.size(), 2u);
}

TEST_F(DeckWindowTest, JoinsFollowTheRulesAndARefusedJoinIsNotSkipped)
{
    writeFile(tape(QStringLiteral("a.wav")), wavAt(1, {2010, 12, 3, 8, 10, 25, 0, 0}));
    writeFile(tape(QStringLiteral("b.wav")), wavAt(1, {2010, 12, 3, 8, 10, 26, 0, 0}));
    writeFile(tape(QStringLiteral("c.wav")), wavAt(1, {2010, 12, 3, 8, 10, 27, 0, 0}, 16000));
    TheDeckSettingsFile().deck.JoinTracks = 1;
    auto deck = makeDeck();
    select(*deck, {QStringLiteral("a.wav"), QStringLiteral("b.wav"), QStringLiteral("c.wav")});
    deck->playList();
    QCoreApplication::processEvents();
    engine(*deck, {2, 1});
    EXPECT_EQ(deck->nextFile(8000), nullptr); // a track starting at :25 is not joined

    // b is joined after a; c (another rate) is made current, refused by the
    // engine, and must still play next.
    engine(*deck, {4, 0});
    deck->nextTrackTimer();
    QCoreApplication::processEvents();
    ASSERT_EQ(log.startedFiles.back(), QStringLiteral("b.wav"));
    engine(*deck, {2, 1});
    log.position = 8000;
    EXPECT_NE(deck->nextFile(8000), nullptr);
    EXPECT_EQ(deck->openPath(), tape(QStringLiteral("c.wav")));
    engine(*deck, {4, 0});
    deck->nextTrackTimer();
    QCoreApplication::processEvents();
    EXPECT_EQ(log.startedFiles.back(), QStringLiteral("c.wav"));
}

TEST_F(DeckWindowTest, ClockFollowsThePositionAndIsToldOnlyInOfflineLogging)
{
    writeFile(tape(QStringLiteral("Rec20120229_235959.wav")), wavAt(10, {2012, 2, 3, 29, 23, 59, 59, 0}));
    for (quint32 mode : {DeckShowDataMode, DeckOfflineMode}) {
        clockStates.clear();
        log = {};
        auto deck = makeDeck(mode);
        select(*deck, {QStringLiteral("Rec20120229_235959.wav")});
        deck->listDoubleClicked();
        QCoreApplication::processEvents();
        engine(*deck, {2, 1});
        log.position = 8000 * 3 / 2; // 1.5 s
        const auto at = deck->clockTime();
        ASSERT_TRUE(at.has_value());
        // Past midnight of 29 February into 1 March.
        EXPECT_EQ(velmar::platform::FormatTimeStamp(*at), QStringLiteral("2012-03-01 00:00:00"));
        engine(*deck, {4, 0});
        if (mode == DeckOfflineMode)
            EXPECT_EQ(clockStates, (std::vector<int>{2, 1, 4, 0}));
        else
            EXPECT_TRUE(clockStates.empty());
    }
}

TEST(DeckOptionPages, FieldsAreStoredOrRefused)
{
    const QStringList devices{QStringLiteral("default"), QStringLiteral("USB Audio")};
    DeckSettings s;
    EXPECT_EQ(ApplyPlayRate({"USB Audio", false, "96000", "-3.5"}, devices, s), QString());
    EXPECT_EQ(s.PlaybackDevice, 1);
    EXPECT_EQ(s.PlaybackRate, 96000u);
    EXPECT_FLOAT_EQ(s.GainDb, -3.5f);
    const DeckSettings before = s;
    for (const char* rate : {"0", "-100"}) {
        EXPECT_EQ(ApplyPlayRate({"default", false, QLatin1String(rate), "0"}, devices, s),
                  QStringLiteral("Playback rate is less than 0"));
        EXPECT_EQ(s, before); // nothing stored
    }
    EXPECT_EQ(ApplyPlayRate({"Removed Card", false, "44100", "0"}, devices, s),
              QStringLiteral("No Sound Card Selected"));
    EXPECT_FLOAT_EQ(DelayFromText(QStringLiteral("2.5")), 2.5f);
    EXPECT_FLOAT_EQ(DelayFromText(QStringLiteral("abc")), 0.0f);

    DeckSettings masks;
    masks.LeftMask = 0x5;
    ChannelsPage channels(masks);
    EXPECT_TRUE(channels.box(2, 2)->isChecked());
    for (int r = 0; r < 8; ++r)
        channels.box(2, r)->setChecked(false);
    channels.box(3, 7)->setChecked(true);
    channels.apply(masks);
    EXPECT_EQ(masks.LeftMask, 0u);
    EXPECT_EQ(masks.RightMask, 2u | 0x80u);

    DeckSettings rate;
    rate.PlayAtFileRate = 1;
    PlayRatePage page(rate, 96000, devices);
    EXPECT_EQ(page.rate()->text(), QStringLiteral("96000"));
    EXPECT_FALSE(page.rate()->isEnabled());
    EXPECT_EQ(page.apply(rate), QString());
    EXPECT_EQ(rate.PlaybackRate, 96000u);
}

TEST(DeckFilterDialog, ValidationDesignAndOkAfterAnEdit)
{
    struct Case {
        int band;
        const char* high;
        const char* low;
        const char* ripple;
        const char* message;
        QString order = QStringLiteral("4");
        int type = FilterButterworth;
    };
    const QString longest = QString::number(MaxFilterOrder);
    const QString tooLong = QString::number(MaxFilterOrder + 1);
    const Case cases[] = {
        {2, "", "5000", "1", "", longest},
        {2, "", "5000", "1", "Filter order may not be more than ", tooLong},
        {2, "", "5000", "20", "", QStringLiteral("4"), FilterChebyshev},
        {2, "", "5000", "20.5", "Passband ripple may not be more than 20 dB", QStringLiteral("4"), FilterChebyshev},
        {2, "", "5000", "20.5", ""}, // a Butterworth filter has no ripple
        {1, "48000", "", "1", "Invalid high pass cut off frequency"},
        {1, "24000", "", "1", "Invalid high pass cut off frequency"}, // at half the rate
        {1, "23999", "", "1", ""},
        {2, "", "0", "1", "Invalid low pass cut off frequency"},
        {3, "5000", "4000", "1", "Low pass Frequency may not be less than the high pass frequency !"},
        {1, "2000", "", "", "Passband ripple must be greater than 0 dB"},
    };
    for (const Case& c : cases) {
        FilterSpec wanted;
        FilterDisplaySettings display;
        FilterFields f;
        f.type = c.type;
        f.band = c.band;
        f.highPass = QLatin1String(c.high);
        f.lowPass = QLatin1String(c.low);
        f.order = c.order;
        f.ripple = QLatin1String(c.ripple);
        f.gainRange = QStringLiteral("50");
        const QString expected = QLatin1String(c.message) + (c.order == tooLong ? longest : QString());
        EXPECT_EQ(ValidateFilterFields(f, 48000, wanted, display), expected)
            << c.high << c.low << c.order.toStdString();
    }
    EXPECT_EQ(GainTickStep(300.0 / 50), 10);
    EXPECT_EQ(PhaseTickStep(300.0 / 360), 90);
    EXPECT_EQ(LinearFrequencyStep(0.001), 10000);

    // The response plot's columns: the cut-off of a low pass lies 3 dB down,
    // phases stay in [-180, 180), and the log scale runs from its start to fs/2.
    FilterSpec low;
    low.FilterType = FilterButterworth;
    low.Band = BandLowPass;
    low.LowPassHz = 6000;
    low.Order = 4;
    const FilterDesign lowDesign = DesignFilter(low, 48000);
    FilterDisplaySettings linear;
    const auto columns = ResponseColumns(lowDesign, 48000, 25, linear);
    ASSERT_EQ(columns.size(), 25u);
    EXPECT_DOUBLE_EQ(columns[6].frequency, 6000.0);
    const double reference = 20 * std::log10(FilterReferenceGain(low, 48000, lowDesign));
    EXPECT_NEAR(columns[6].gainDb - reference, -3.0, 0.2);
    for (const auto& c : columns)
        EXPECT_TRUE(c.phaseDegrees >= -180 && c.phaseDegrees < 180) << c.phaseDegrees;
    FilterDisplaySettings logScale;
    logScale.LogFrequency = 1;
    logScale.StartFrequencyHz = 100;
    const auto logColumns = ResponseColumns(lowDesign, 48000, 3, logScale);
    EXPECT_DOUBLE_EQ(logColumns[0].frequency, 100.0);
    EXPECT_NEAR(logColumns[1].frequency, std::sqrt(100.0 * 24000.0), 1e-6);
    EXPECT_NEAR(logColumns[2].frequency, 24000.0, 1e-6);

    FilterSpec wanted;
    wanted.FilterType = FilterButterworth;
    wanted.Band = BandPass;
    wanted.HighPassHz = 2000;
    wanted.LowPassHz = 15000;
    wanted.Order = 16;
    FilterDisplaySettings display;
    QStringList shown;
    DigFilterDialog dialog(nullptr, wanted, display, 48000, [&](const QString& t, const QString&) { shown << t; });
    EXPECT_EQ(dialog.poleCount(), 32);
    EXPECT_EQ(dialog.poleZeroCaption(), QStringLiteral("32 pole zero pairs"));

    dialog.show();
    dialog.order()->setFocus();
    dialog.order()->selectAll();
    QTest::keyClicks(dialog.order(), QStringLiteral("8"));
    dialog.ok(); // the edit is designed and plotted first
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.poleCount(), 16);
    EXPECT_EQ(wanted.Order, 16);
    dialog.ok();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(wanted.Order, 8);
    EXPECT_TRUE(shown.isEmpty());
}

} // namespace
