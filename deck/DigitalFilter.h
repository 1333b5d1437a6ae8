#pragma once
// Recursive (IIR) speaker filters of the sound-file deck: Butterworth or
// Chebyshev (type I), low pass, high pass or band pass, of any order, designed
// by the bilinear transform of an analog prototype into z-plane poles and
// zeros, and run on interleaved frames as a cascade of first- and
// second-order sections.
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

// Why a spec cannot be designed at this sample rate, or empty when it can:
// every edge the band uses must lie above 0 Hz and below half the sample rate
// (the bilinear transform folds anything else back into nonsense), a band
// pass's lower edge below its upper one, and the order within 1..MaxOrder.
QString FilterSpecProblem(const FilterSpec& spec, double sampleRate);

// The poles and zeros of the spec; none for a type other than Butterworth or
// Chebyshev, a band other than 1..3, or a spec with a problem (above).
FilterDesign DesignFilter(const FilterSpec& spec, double sampleRate);

// Gain |H| and phase (radians) of a design at angular frequency w (0..pi).
double FilterGainAt(const FilterDesign& design, double w);
double FilterPhaseAt(const FilterDesign& design, double w);

// The gain at the band's reference frequency (pi for a high pass, 0 for a low
// pass, the geometric centre of a band pass), raised by the ripple for a
// Chebyshev filter of even order, so that dividing by it normalises the pass
// band to unity.
double FilterReferenceGain(const FilterSpec& spec, double sampleRate, const FilterDesign& design);

// One first- or second-order section, run on frames of `channels` doubles.
class FilterPair {
public:
    FilterPair(int channels, Complex pole, Complex zero, bool secondOrder);

    // Filters one frame in place, keeping each channel's history.
    void Filter(double* frame);

    int order() const { return m_order; }
    double a1 = 0, a2 = 0, b1 = 0, b2 = 0;

private:
    int m_channels;
    int m_order;
    // Per channel, newest first: x0 x1 x2 and y0 y1 y2.
    std::vector<double> m_x, m_y;
};

class DigitalFilter {
public:
    DigitalFilter(const FilterSpec& spec, int channels, double sampleRate);

    int sectionCount() const { return int(m_sections.size()); }
    const FilterPair& section(int i) const { return m_sections[std::size_t(i)]; }
    double referenceGain() const { return m_referenceGain; }
    int channels() const { return m_channels; }

    // One frame in place through every section in order, then divided by the
    // reference gain.
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
    std::vector<FilterPair> m_sections;
    std::vector<double> m_work;
    // The sections' coefficients and state laid out for FilterBlock16:
    // per section {a1, a2, b1, b2}, per section and channel {x1, x2, y1, y2}.
    static constexpr std::size_t ChunkFrames = 1024;
    std::vector<double> m_coeffs;
    std::vector<double> m_state;
    std::vector<double> m_chunk; // ChunkFrames frames of work
};

// A double limited to the int16 range and truncated toward zero.
int16_t SaturateToInt16(double value);

} // namespace velmar::deck
