#pragma once
// Stand-ins for what surrounds a deck's player in tests: a sound output the
// test plays by hand, detector programs with scripted answers, the deck
// window's side, and sound files built in memory.
#include "deck/AudioOutput.h"
#include "deck/DeckPlayer.h"
#include "sound/WavHeader.h"

#include <QBuffer>
#include <QtEndian>

#include <functional>

#include <map>
#include <vector>

namespace decktest {

using namespace velmar::deck;

// Plays only when the test says so; keeps every frame it was given.
class FakeOutput final : public AudioOutput {
public:
    struct Shared {
        QString openError;
        int channels = 0, rate = 0, device = -99;
        std::size_t capacity = 0;
        std::vector<int16_t> written;
        uint64_t played = 0;
        bool open = false;
        int resets = 0;
        bool autoPlay = false; // every frame counts as heard once written
    };
    explicit FakeOutput(Shared& s) : m_s(s) {}
    QString open(int device, int channels, int rate, std::size_t capacityFrames) override
    {
        m_s.device = device;
        m_s.channels = channels;
        m_s.rate = rate;
        m_s.capacity = capacityFrames;
        m_s.open = m_s.openError.isEmpty();
        return m_s.openError;
    }
    bool write(const int16_t* samples, std::size_t frames) override
    {
        if (written() + frames - framesPlayed() > m_s.capacity)
            return false;
        m_s.written.insert(m_s.written.end(), samples, samples + frames * std::size_t(m_s.channels));
        return true;
    }
    uint64_t framesPlayed() const override { return m_s.autoPlay ? written() : m_s.played; }
    void reset() override
    {
        ++m_s.resets;
        m_s.played = written();
    }
    void close() override { m_s.open = false; }
    uint64_t written() const { return m_s.written.size() / std::size_t(std::max(m_s.channels, 1)); }

private:
    Shared& m_s;
};

// Detector programs: present or not, answering each message as scripted
// (the default answer of a message is 0, as for a window that does not handle it).
class FakeDetectors final : public DetectorLink {
public:
    struct Call {
        QString windowClass, message;
        quint64 wParam;
        qint64 lParam;
        bool posted;
    };
    std::map<QString, bool> presentClasses;
    std::map<std::pair<QString, QString>, qint64> answers;
    std::vector<Call> calls;
    std::function<void(const Call&)> onCall; // sees every message as it goes out

    bool present(const QString& windowClass) override { return presentClasses[windowClass]; }
    std::optional<qint64> send(const QString& windowClass, const QString& message, quint64 w, qint64 l, int) override
    {
        calls.push_back({windowClass, message, w, l, false});
        if (onCall)
            onCall(calls.back());
        if (!presentClasses[windowClass])
            return std::nullopt;
        auto it = answers.find({windowClass, message});
        return it == answers.end() ? 0 : it->second;
    }
    void post(const QString& windowClass, const QString& message, quint64 w, qint64 l) override
    {
        calls.push_back({windowClass, message, w, l, true});
        if (onCall)
            onCall(calls.back());
    }
    // The messages sent or posted to one detector, in order.
    QStringList messagesTo(const QString& windowClass) const
    {
        QStringList out;
        for (const Call& c : calls)
            if (c.windowClass == windowClass)
                out << c.message + (c.posted ? QStringLiteral("(posted %1)").arg(c.wParam) : QString());
        return out;
    }
    // A detector that takes piped input and is stopped whenever asked.
    void willing(const QString& windowClass)
    {
        presentClasses[windowClass] = true;
        answers[{windowClass, QStringLiteral("PipeMsgGetIpDevice")}] = 9;
        answers[{windowClass, QStringLiteral("PipeMsgSampleSettings")}] = 1;
    }
};

class FakeHost final : public DeckHost {
public:
    std::optional<velmar::platform::SystemTime> startTime;
    std::vector<QIODevice*> nextFiles; // handed out in turn
    std::vector<uint32_t> nextFileAsks;
    std::vector<BlockLevels> levelReports;
    std::vector<int> states;
    std::vector<std::pair<QString, QString>> messages;

    std::optional<velmar::platform::SystemTime> fileStartTime() override { return startTime; }
    QIODevice* nextFile(uint32_t framesRead) override
    {
        nextFileAsks.push_back(framesRead);
        if (nextFiles.empty())
            return nullptr;
        QIODevice* f = nextFiles.front();
        nextFiles.erase(nextFiles.begin());
        return f;
    }
    void levels(const BlockLevels& l) override { levelReports.push_back(l); }
    void stateChanged(int state) override { states.push_back(state); }
    void message(const QString& text, const QString& caption) override { messages.emplace_back(text, caption); }
};

// A 16-bit PCM WAV file of interleaved samples.
inline QByteArray makeWav(int channels, int rate, const std::vector<int16_t>& samples)
{
    velmar::sound::WAVHEADER h;
    h.Channels = uint16_t(channels);
    h.SampleRate = uint32_t(rate);
    h.BlockAlign = uint16_t(channels * 2);
    h.BytesPerSecond = uint32_t(rate * channels * 2);
    h.setDataBytes(qint64(samples.size()) * 2);
    QByteArray bytes = h.toBytes();
    for (int16_t s : samples) {
        char le[2];
        qToLittleEndian(s, le);
        bytes.append(le, 2);
    }
    return bytes;
}

// A 16-bit AIFF file (big-endian samples).
inline QByteArray makeAiff(int channels, int rate, const std::vector<int16_t>& samples)
{
    auto be32 = [](QByteArray& b, uint32_t v) {
        char c[4];
        qToBigEndian(v, c);
        b.append(c, 4);
    };
    auto be16 = [](QByteArray& b, uint16_t v) {
        char c[2];
        qToBigEndian(v, c);
        b.append(c, 2);
    };
    const uint32_t frames = uint32_t(samples.size() / std::size_t(channels));
    QByteArray comm;
    be16(comm, uint16_t(channels));
    be32(comm, frames);
    be16(comm, 16);
    // The rate as an 80-bit extended float.
    int exponent = 0;
    uint64_t mantissa = uint64_t(rate);
    while (!(mantissa & (uint64_t(1) << 63))) {
        mantissa <<= 1;
        ++exponent;
    }
    be16(comm, uint16_t(16383 + 63 - exponent));
    be32(comm, uint32_t(mantissa >> 32));
    be32(comm, uint32_t(mantissa));
    QByteArray ssnd;
    be32(ssnd, 0);
    be32(ssnd, 0);
    for (int16_t s : samples)
        be16(ssnd, uint16_t(s));
    QByteArray body("AIFF");
    body += "COMM";
    be32(body, uint32_t(comm.size()));
    body += comm;
    body += "SSND";
    be32(body, uint32_t(ssnd.size()));
    body += ssnd;
    QByteArray file("FORM");
    be32(file, uint32_t(body.size()));
    return file + body;
}

// An open in-memory sound file with its header read as the deck reads it.
struct SoundFile {
    QByteArray bytes;
    QBuffer buffer;
    velmar::sound::WAVHEADER header;

    explicit SoundFile(const QByteArray& content) : bytes(content), buffer(&bytes)
    {
        buffer.open(QIODevice::ReadOnly);
        if (!velmar::sound::ReadWavHeader(header, &buffer)) {
            buffer.seek(0);
            velmar::sound::ReadAiffHeader(header, &buffer);
        }
    }
};

} // namespace decktest
