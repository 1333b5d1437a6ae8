#pragma once
// The deck's "Options" sheet: the pages Channels (file channels to the
// speakers and the detector pipes), Soundcard (output device, playback rate,
// gain) and Track Options (play lists). The pages edit the process-wide
// DeckSettings; each field's rules are pure functions below.
//
// User-interface thread.
#include "deck/DeckSettings.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace velmar::deck {

using DeckMessageFn = std::function<void(const QString& text, const QString& caption)>;

// The Soundcard page's fields as typed.
struct PlayRateFields {
    QString device; // the combo's text
    bool atFileRate = false;
    QString rate; // empty: PlaybackRate unchanged
    QString gain;
};
// Stores the fields into `settings`; the message text when they are refused
// (nothing stored then).
QString ApplyPlayRate(const PlayRateFields& fields, const QStringList& devices, DeckSettings& settings);

// The Track Options page's delay text: the leading number (0 without one).
float DelayFromText(const QString& text);

class ChannelsPage : public QWidget {
    Q_OBJECT
public:
    explicit ChannelsPage(const DeckSettings& settings, QWidget* parent = nullptr);
    void apply(DeckSettings& settings) const;
    // Box (column 0 whistle, 1 click, 2 left, 3 right; row = file channel).
    QCheckBox* box(int column, int row) const { return m_boxes[std::size_t(column)][std::size_t(row)]; }

private:
    std::array<std::array<QCheckBox*, 8>, 4> m_boxes{};
};

class PlayRatePage : public QWidget {
    Q_OBJECT
public:
    PlayRatePage(const DeckSettings& settings, int fileRate, QStringList devices, QWidget* parent = nullptr);
    // The refusal text, empty when stored.
    QString apply(DeckSettings& settings) const;
    QComboBox* device() const { return m_device; }
    QLineEdit* rate() const { return m_rate; }
    QCheckBox* atFileRate() const { return m_atFileRate; }
    QLineEdit* gain() const { return m_gain; }

private:
    void refreshRate();
    int m_fileRate;
    uint32_t m_playbackRate;
    QStringList m_devices;
    QComboBox* m_device;
    QLineEdit* m_rate;
    QCheckBox* m_atFileRate;
    QLineEdit* m_gain;
};

class TrackOptsPage : public QWidget {
    Q_OBJECT
public:
    explicit TrackOptsPage(const DeckSettings& settings, QWidget* parent = nullptr);
    void apply(DeckSettings& settings) const;
    QCheckBox* join() const { return m_join; }
    QLineEdit* delay() const { return m_delay; }

private:
    QCheckBox* m_join;
    QLineEdit* m_delay;
};

// The sheet, modal, on page 0..2; OK stores every page into the process-wide
// settings unless a page refuses (then the sheet stays open on that page).
// `devices` lists the output devices (PortAudio's when empty).
void RunDeckOptions(QWidget* parent, int page, int fileRate, const DeckMessageFn& showMessage,
                    const QStringList& devices = {});

} // namespace velmar::deck
