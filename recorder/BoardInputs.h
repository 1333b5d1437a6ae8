#pragma once
// The recorder's inputs through the measurement boards' libraries: the
// Measurement Computing board's background scan (kind 3), the NI-DAQ
// board's double-buffered scan (kind 5), the external tape machine switched
// through the Measurement Computing board's digital port (kind 8), and
// NI-DAQmx (kind 10), which the recorder leaves to Pelvane. Without its
// library each start says that the kind is not available.
//
// Recorder thread only; the libraries are the process's unless given.
#include "recorder/InputBackend.h"
#include "sound/boards/CbLibrary.h"
#include "sound/boards/NiDaqLibrary.h"
#include "sound/boards/TapeMachine.h"

namespace velmar::recorder {

// Why a kind cannot be used here.
QString CbUnavailableText();
QString NiDaqUnavailableText();
QString NiDaqMxRecorderText();

// Samples of one Measurement Computing block: 2048, cut to whole frames.
std::size_t CbBlockSamples(int channels);
// The board buffer: 20480 samples, cut to whole blocks.
std::size_t CbBoardBufferSamples(int channels);

class MeasurementBoardInput : public InputBackend {
public:
    explicit MeasurementBoardInput(const sound::CbLibrary& library = sound::TheCbLibrary());
    ~MeasurementBoardInput() override;
    bool prepare(AcquisitionSettings& settings) override;
    bool start(AcquisitionSettings& settings, SampleRing& ring) override;
    void poll(SampleRing& ring) override;
    void stop() override;
    std::size_t blockSamples() const override { return m_block; }
    qint64 position() const override { return m_frames; }

    // Test access: where the next block is read from the board buffer.
    std::size_t boardIndex() const { return m_boardIndex; }

private:
    bool scan(int board, int channels, int32_t* rate);
    void freeBuffer();

    const sound::CbLibrary& m_lib;
    int m_board = 0;
    int m_channels = 1;
    sound::CbBuffer m_buffer = nullptr;
    std::size_t m_bufferSamples = 0;
    std::size_t m_block = 0;
    std::size_t m_boardIndex = 0;
    int32_t m_lastIndex = 0;
    qint64 m_consumed = 0;
    qint64 m_total = 0;
    qint64 m_frames = 0;
    std::vector<uint16_t> m_scratch;
    bool m_running = false;
};

class NiDaqInput : public InputBackend {
public:
    explicit NiDaqInput(sound::NiDaqLibrary& library = sound::TheNiDaq());
    ~NiDaqInput() override;
    bool prepare(AcquisitionSettings& settings) override;
    bool start(AcquisitionSettings& settings, SampleRing& ring) override;
    void poll(SampleRing& ring) override;
    void stop() override;
    std::size_t blockSamples() const override { return m_samplesPerHalf; }
    qint64 position() const override { return m_frames; }

private:
    sound::NiDaqLibrary& m_lib;
    int16_t m_device = 0;
    std::size_t m_framesPerHalf = 0;
    std::size_t m_samplesPerHalf = 0;
    std::vector<int16_t> m_doubleBuffer;
    std::vector<int16_t> m_half;
    qint64 m_frames = 0;
    bool m_running = false;
};

class TapeMachineInput : public InputBackend {
public:
    TapeMachineInput(const sound::CbLibrary& library = sound::TheCbLibrary(), sound::TapeMachine::Wait wait = {});
    bool start(AcquisitionSettings& settings, SampleRing& ring) override;
    void stop() override;
    bool samples() const override { return false; }

private:
    const sound::CbLibrary& m_lib;
    sound::TapeMachine::Wait m_wait;
    int m_board = 0;
    bool m_running = false;
};

// A kind this recorder does not sample: every start fails with its text.
class UnavailableInput : public InputBackend {
public:
    UnavailableInput(QString text, QString caption) : m_text(std::move(text)), m_caption(std::move(caption)) {}
    bool start(AcquisitionSettings&, SampleRing&) override { return fail(m_text, m_caption); }
    bool prepare(AcquisitionSettings&) override { return fail(m_text, m_caption); }
    void stop() override {}

private:
    QString m_text;
    QString m_caption;
};

} // namespace velmar::recorder
