#pragma once
// Samples of the multichannel drivers' formats to the 16-bit samples every
// recording and pipe carries. Floats are full scale at +-1.0 and clamped;
// wider integers keep their top 16 bits (of the bits the format says are
// used). The ASIO kind's type codes are kept, so that a driver's channel
// information names its format; a JACK port is always Float32LSB.
//
// Any thread; no allocation (callbacks use it).
#include <cstddef>
#include <cstdint>
#include <optional>

namespace velmar::sound {

enum AsioSampleType : int {
    AsioInt16MSB = 0,
    AsioInt24MSB = 1,
    AsioInt32MSB = 2,
    AsioFloat32MSB = 3,
    AsioFloat64MSB = 4,
    AsioInt16LSB = 16,
    AsioInt24LSB = 17,
    AsioInt32LSB = 18,
    AsioFloat32LSB = 19,
    AsioFloat64LSB = 20,
    AsioInt32LSB16 = 24,
    AsioInt32LSB18 = 25,
    AsioInt32LSB20 = 26,
    AsioInt32LSB24 = 27,
};

// Bytes of one sample of a type; nothing for a type that cannot be converted.
std::optional<std::size_t> SampleTypeBytes(int type);

// One float sample at full scale +-1.0 as 16 bits, rounded and clamped.
int16_t FloatToSample(double x);

// Converts `count` samples of `type` at `from` into every `stride`-th slot
// of `to`. False (and nothing written) for a type that cannot be converted.
bool ConvertSamples(int type, const void* from, std::size_t count, int16_t* to, std::size_t stride);

} // namespace velmar::sound
