#pragma once
// The split of the acquisition stream into one stream per pipe.
//
// A block is interleaved int16 samples in scan-list order. Pipe B's stream
// holds the samples of the scan slots whose channel is routed to B, in scan
// order; its frame is as many samples as channels are routed to B (what a
// consumer reads from "PipeDat.dat"), and a channel that occurs k times per
// scan gives k frames per scan. The split hands out whole frames only; the
// samples of a frame that a block leaves unfinished wait in the pipe's carry.
//
// Pure functions over values, callable from any thread.
#include "settings/PipeSettings.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace velmar::pipeserver {

// Rates whose tenth of a second holds at least one scan, up to what a pipe
// can carry.
inline constexpr int MinSampleRate = 10;
inline constexpr int MaxSampleRate = 1'000'000;

struct PipeStreamLayout {
    uint32_t bit = 0;
    int channels = 0;   // samples per frame: the channels routed to the pipe
    int multiplier = 0; // frames per scan
    // Per scan slot: the sample's place within its frame, or -1 when the
    // slot's channel does not go to this pipe.
    std::array<int8_t, PipeSettings::MaxChannels> placeInFrame{};

    int frameBytes() const { return channels * 2; }
};

struct StreamLayout {
    int scanLength = 0;
    std::array<PipeStreamLayout, PipeSettings::PipeCount> pipes{}; // porpoise, whistle, click, recorder

    const PipeStreamLayout* pipe(uint32_t bit) const;
};

struct StreamLayoutResult {
    std::optional<StreamLayout> layout;
    QString problem; // why the record cannot be streamed, for the operator
};

// The layout of the record's streams. Refused (with the reason) when a pipe's
// stream would not be what its consumer is told: a routed channel that is not
// sampled, routed channels sampled at different rates, or a scan list that
// does not interleave a pipe's channels in the same order in every frame.
StreamLayoutResult MakeStreamLayout(const PipeSettings& settings);

// The part of a pipe's stream that has not made a whole frame yet, and
// whether the stream has reached its first frame start. A fresh carry (a pipe
// just opened) skips samples up to the first sample that begins a frame.
struct PipeCarry {
    bool synced = false;
    std::vector<int16_t> partial;
};

// The whole frames of one pipe in a block (little-endian bytes), given the
// scan slot of the block's first sample. The carry takes the unfinished frame
// and gives back the one of the previous block.
QByteArray SplitBlock(const int16_t* samples, qsizetype count, int firstSlot, const StreamLayout& stream,
                      const PipeStreamLayout& pipe, PipeCarry& carry);

} // namespace velmar::pipeserver
