#pragma once
// Recursive (IIR) speaker filters of the sound-file deck: Butterworth or
// Chebyshev (type I), low pass, high pass or band pass, of order 1 to
// MaxFilterOrder (below), designed by the bilinear transform of an analog
// prototype into z-plane poles and zeros, and run on interleaved frames as a
// cascade of first- and second-order sections.
//
// The design works in double precision. A DigitalFilter belongs to the one
// thread that filters with it (the deck engine's); the free functions may be
// called from any thread.
#include "deck/DeckSettings.h"

#include <QString>

#include <complex>
#include <cstdint>
#include <vector>

namespace velmar::deck {

using Complex = std::complex<double>;

struct FilterDesign {
    std::vector<Complex> poles;
    std::vector<Complex> zeros; // zeros[i] goes with poles[i]
    int count() const { return int(poles.size()); }
};

// The highest order the deck designs and runs: beyond it, at the band edges
// closest to 0 Hz or to half the sample rate, the sections' rounding in double
// precision outgrows the last bit of the 16-bit output.
inline constexpr int MaxFilterOrder = 32;
// Likewise the largest Chebyshev ripple: a deeper one puts the poles of a
// band edge near 0 Hz or half the sample rate too close to the unit circle.
inline constexpr double MaxFilterRippleDb = 20.0;

// Why a filter cannot be designed at this sample rate, or empty when it can:
// every edge the band uses must lie above 0 Hz and below half the sample rate
// (the bilinear transform folds anything else back into nonsense), a band
// pass's lower edge below its upper one, the order within 1..MaxFilterOrder and
// a Chebyshev filter's ripple above 0 and at most MaxFilterRippleDb.
QString FilterSpecProblem(const FilterSpec& wanted, double sampleRate);

// The poles and zeros of the filter; none for a type other than Butterworth or
// Chebyshev, a band other than 1..3, or a filter with a problem (above).
FilterDesign DesignFilter(const FilterSpec& wanted, double sampleRate);

// Gain |H| and phase (radians) of a design at angular frequency w (0..pi).
double FilterGainAt(const FilterDesign& design, double w);
double FilterPhaseAt(const FilterDesign& design, double w);

// The angular frequency at which a filter's pass band is normalised: pi for a
// high pass, 0 for a low pass and, for a band pass, the centre frequency that
// the band-pass transform maps the prototype's 0 Hz to (cos w0 = alpha), where
// the gain of an even-order Chebyshev band pass sits in a ripple trough as its
// low pass prototype's does at 0 Hz. -1 for any other band.
double FilterReferenceFrequency(const FilterSpec& wanted, double sampleRate);

// The gain at the band's reference frequency (above), raised by the ripple
// for a Chebyshev filter of even order, so that dividing by it normalises the
// pass band to unity.
double FilterReferenceGain(const FilterSpec& wanted, double sampleRate, const FilterDesign& design);

// One first- or second-order section, run on frames of `channels` doubles:
// y0 = a1 y1 + a2 y2 + gain (x0 + b1 x1 + b2 x2).
class FilterPair {
public:
    // The section of a real pole (first order) or of a pole and its
    // conjugate (second order) with a double zero at `zero`.
    FilterPair(int channels, Complex pole, Complex zero, bool secondOrder);
    // The second-order section of a pole and its conjugate with the real
    // zeros `zero` and `otherZero`.
    FilterPair(int channels, Complex pole, double zero, double otherZero);

    // Filters one frame in place, keeping each channel's history.
    void Filter(double* frame);
    // |H| of this section at angular frequency w, gain included.
    double GainAt(double w) const;

    int order() const { return m_order; }
    double a1 = 0, a2 = 0, b1 = 0, b2 = 0;
    double gain = 1.0;

private:
    int m_channels;
    int m_order;
    Complex m_pole;
    // Per channel, newest first: x0 x1 x2 and y0 y1 y2.
    std::vector<double> m_x, m_y;
};

class DigitalFilter {
public:
    DigitalFilter(const FilterSpec& wanted, int channels, double sampleRate);

    int sectionCount() const { return int(m_sections.size()); }
    const FilterPair& section(int i) const { return m_sections[std::size_t(i)]; }
    double referenceGain() const { return m_referenceGain; }
    int channels() const { return m_channels; }

    // One frame in place through every section in order, each section scaled
    // to unit gain at the reference frequency (so no intermediate value
    // overflows however long the filter), then for an even-order Chebyshev
    // filter lowered by its ripple.
    void FilterFrame(double* frame);
    // One frame of int16 samples in place; results are limited to the int16
    // range and truncated toward zero.
    void FilterFrame16(int16_t* frame);
    // A block of interleaved frames in place, as FilterFrame16 on each frame
    // in turn (to within rounding), but section by section over chunks of
    // frames. The playing path uses this one. A filter runs either frame by
    // frame or by blocks: the two keep their histories apart.
    void FilterBlock16(int16_t* samples, std::size_t frames);

private:
    int m_channels;
    double m_referenceGain = 1.0;
    double m_outputScale = 1.0;
    std::vector<FilterPair> m_sections;
    std::vector<double> m_work;
    // The sections' coefficients and state laid out for FilterBlock16:
    // per section {a1, a2, gain, gain b1, gain b2}, per section and channel
    // {x1, x2, y1, y2}.
    static constexpr std::size_t ChunkFrames = 1024;
    std::vector<double> m_coeffs;
    std::vector<double> m_state;
    std::vector<double> m_chunk; // ChunkFrames frames of work
};

// A double limited to the int16 range and truncated toward zero.
int16_t SaturateToInt16(double value);

} // namespace velmar::deck
