#include "deck/DigitalFilter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace velmar::deck {

namespace {

constexpr double Pi = std::numbers::pi;
// A pole whose imaginary part is at most this is real and makes a
// first-order section.
constexpr double RealPoleLimit = 1e-14;

bool usesHighPassEdge(int band)
{
    return band == BandHighPass || band == BandPass;
}
bool usesLowPassEdge(int band)
{
    return band == BandLowPass || band == BandPass;
}

// Prototype pole angles for k = 0 .. 2N-1.
double prototypeAngle(int k, int order)
{
    return order % 2 == 0 ? (2.0 * k + 1.0) * Pi / (2.0 * order) : k * Pi / order;
}

std::vector<Complex> bandPassTransform(const std::vector<Complex>& prototype, double w1, double w2,
                                       std::vector<Complex>& zeros)
{
    const double alpha = std::cos((w2 + w1) / 2.0) / std::cos((w2 - w1) / 2.0);
    std::vector<Complex> poles;
    poles.reserve(prototype.size() * 2);
    zeros.clear();
    for (const Complex& p : prototype) {
        const Complex a = (alpha / 2.0) * (1.0 + p);
        const Complex s = std::sqrt(a * a - p); // principal root
        poles.push_back(a + s);
        zeros.emplace_back(1.0, 0.0);
        poles.push_back(a - s);
        zeros.emplace_back(-1.0, 0.0);
    }
    return poles;
}

} // namespace

int16_t SaturateToInt16(double value)
{
    if (!(value > -32768.0)) // also NaN
        return std::isnan(value) ? 0 : int16_t(-32768);
    if (value >= 32767.0)
        return 32767;
    return int16_t(value); // truncates toward zero
}

QString FilterSpecProblem(const FilterSpec& wanted, double sampleRate)
{
    if (wanted.Order < 1 || wanted.Order > MaxFilterOrder)
        return QStringLiteral("Filter order must be between 1 and %1").arg(MaxFilterOrder);
    if (wanted.FilterType == FilterChebyshev && !(wanted.RippleDb > 0.0f && wanted.RippleDb <= MaxFilterRippleDb))
        return QStringLiteral("The passband ripple must be above 0 and at most %1 dB").arg(MaxFilterRippleDb);
    const double nyquist = sampleRate / 2.0;
    auto edgeOk = [nyquist](double hz) { return hz > 0.0 && hz < nyquist; };
    if (usesHighPassEdge(wanted.Band) && !edgeOk(wanted.HighPassHz))
        return QStringLiteral("The high pass frequency must be above 0 and below %1 Hz").arg(nyquist);
    if (usesLowPassEdge(wanted.Band) && !edgeOk(wanted.LowPassHz))
        return QStringLiteral("The low pass frequency must be above 0 and below %1 Hz").arg(nyquist);
    if (wanted.Band == BandPass && wanted.HighPassHz >= wanted.LowPassHz)
        return QStringLiteral("The high pass frequency must be below the low pass frequency");
    return {};
}

FilterDesign DesignFilter(const FilterSpec& wanted, double sampleRate)
{
    FilterDesign design;
    if (wanted.FilterType != FilterButterworth && wanted.FilterType != FilterChebyshev)
        return design;
    if (wanted.Band < BandHighPass || wanted.Band > BandPass || !FilterSpecProblem(wanted, sampleRate).isEmpty())
        return design;

    const int n = wanted.Order;
    double omega = 0, zeroValue = 0, w1 = 0, w2 = 0;
    switch (wanted.Band) {
    case BandHighPass:
        omega = Pi - 2.0 * Pi * wanted.HighPassHz / sampleRate;
        zeroValue = 1.0;
        break;
    case BandLowPass:
        omega = 2.0 * Pi * wanted.LowPassHz / sampleRate;
        zeroValue = -1.0;
        break;
    default:
        w1 = 2.0 * Pi * wanted.HighPassHz / sampleRate;
        w2 = 2.0 * Pi * wanted.LowPassHz / sampleRate;
        omega = w2 - w1;
        zeroValue = 0.0;
        break;
    }
    const double t = std::tan(omega / 2.0);

    std::vector<Complex>& poles = design.poles;
    if (wanted.FilterType == FilterButterworth) {
        for (int k = 0; k < 2 * n; ++k) {
            const double theta = prototypeAngle(k, n);
            const double d = 1.0 - 2.0 * t * std::cos(theta) + t * t;
            if (d == 0.0)
                continue;
            const Complex pole((1.0 - t * t) / d, 2.0 * t * std::sin(theta) / d);
            if (std::norm(pole) < 1.0)
                poles.push_back(pole);
        }
    } else {
        const double a = std::pow(10.0, -wanted.RippleDb / 20.0);
        const double eps = std::sqrt(1.0 / (a * a) - 1.0);
        const double x = 1.0 / eps + std::sqrt(1.0 / (eps * eps) + 1.0);
        const double xn = std::pow(x, 1.0 / n);
        const double A = (xn - 1.0 / xn) / 2.0;
        const double B = (xn + 1.0 / xn) / 2.0;
        for (int k = 0; k < 2 * n && int(poles.size()) < n; ++k) {
            const double theta = prototypeAngle(k, n);
            const double re = 1.0 - t * A * std::cos(theta);
            const double im = t * B * std::sin(theta);
            const double d = re * re + im * im;
            if (d == 0.0)
                continue;
            const Complex pole(2.0 * re / d - 1.0, 2.0 * im / d);
            if (std::norm(pole) <= 1.0)
                poles.push_back(pole);
        }
    }
    design.zeros.assign(poles.size(), Complex(zeroValue, 0.0));

    if (wanted.Band == BandPass)
        poles = bandPassTransform(poles, w1, w2, design.zeros);
    if (wanted.Band == BandHighPass)
        for (Complex& p : poles)
            p = Complex(-p.real(), p.imag());
    return design;
}

double FilterGainAt(const FilterDesign& design, double w)
{
    const Complex z = std::polar(1.0, w);
    double gain = 1.0;
    for (int i = 0; i < design.count(); ++i)
        gain *= std::abs(z - design.zeros[std::size_t(i)]) / std::abs(z - design.poles[std::size_t(i)]);
    return gain;
}

double FilterPhaseAt(const FilterDesign& design, double w)
{
    const Complex z = std::polar(1.0, w);
    auto arg = [](Complex c) { return c.real() == 0.0 && c.imag() == 0.0 ? 0.0 : std::atan2(c.imag(), c.real()); };
    double phase = 0.0;
    for (int i = 0; i < design.count(); ++i)
        phase += arg(design.zeros[std::size_t(i)] - z) - arg(design.poles[std::size_t(i)] - z);
    return phase;
}

double FilterReferenceFrequency(const FilterSpec& wanted, double sampleRate)
{
    switch (wanted.Band) {
    case BandHighPass: return Pi;
    case BandLowPass: return 0.0;
    case BandPass: {
        const double w1 = 2.0 * Pi * wanted.HighPassHz / sampleRate;
        const double w2 = 2.0 * Pi * wanted.LowPassHz / sampleRate;
        return std::acos(std::clamp(std::cos((w2 + w1) / 2.0) / std::cos((w2 - w1) / 2.0), -1.0, 1.0));
    }
    default: return -1.0;
    }
}

namespace {

double rippleFactor(const FilterSpec& wanted)
{
    return wanted.FilterType == FilterChebyshev && wanted.Order % 2 == 0 ? std::pow(10.0, wanted.RippleDb / 20.0) : 1.0;
}

} // namespace

double FilterReferenceGain(const FilterSpec& wanted, double sampleRate, const FilterDesign& design)
{
    const double w = FilterReferenceFrequency(wanted, sampleRate);
    if (w < 0.0)
        return 0.0;
    return FilterGainAt(design, w) * rippleFactor(wanted);
}

FilterPair::FilterPair(int channels, Complex pole, Complex zero, bool secondOrder)
    : m_channels(channels), m_order(secondOrder ? 2 : 1), m_pole(secondOrder ? pole : Complex(pole.real(), 0.0)),
      m_x(std::size_t(channels) * 3, 0.0), m_y(std::size_t(channels) * 3, 0.0)
{
    if (secondOrder) {
        a1 = 2.0 * pole.real();
        a2 = -std::norm(pole);
        b1 = -2.0 * zero.real();
        b2 = std::norm(zero);
    } else {
        a1 = pole.real();
        b1 = -zero.real();
    }
}

FilterPair::FilterPair(int channels, Complex pole, double zero, double otherZero)
    : FilterPair(channels, pole, Complex(zero, 0.0), true)
{
    b1 = -(zero + otherZero);
    b2 = zero * otherZero;
}

double FilterPair::GainAt(double w) const
{
    // From the pole itself rather than from 1 - a1 - a2, which cancels to
    // nothing for a pole close to the unit circle.
    const Complex z = std::polar(1.0, w);
    if (m_order == 1)
        return gain * std::abs(z + b1) / std::abs(z - m_pole);
    return gain * std::abs(z * z + b1 * z + b2) / (std::abs(z - m_pole) * std::abs(z - std::conj(m_pole)));
}

void FilterPair::Filter(double* frame)
{
    for (int c = 0; c < m_channels; ++c) {
        double* x = &m_x[std::size_t(c) * 3];
        double* y = &m_y[std::size_t(c) * 3];
        x[2] = x[1];
        x[1] = x[0];
        y[2] = y[1];
        y[1] = y[0];
        x[0] = frame[c];
        if (m_order == 1)
            y[0] = a1 * y[1] + gain * (x[0] + b1 * x[1]);
        else
            y[0] = a1 * y[1] + a2 * y[2] + gain * (x[0] + b1 * x[1] + b2 * x[2]);
        frame[c] = y[0];
    }
}

DigitalFilter::DigitalFilter(const FilterSpec& wanted, int channels, double sampleRate)
    : m_channels(std::max(channels, 1)), m_work(std::size_t(m_channels), 0.0)
{
    const FilterDesign design = DesignFilter(wanted, sampleRate);
    if (design.count() > 0) {
        m_referenceGain = FilterReferenceGain(wanted, sampleRate, design);
        m_outputScale = 1.0 / rippleFactor(wanted);
    }
    // A real pole makes a first-order section; a complex one and its
    // conjugate make a second-order section with the zeros of both (which
    // differ for the pole pair of a band pass made from a real prototype
    // pole: one zero at +1, the other at -1).
    const std::size_t count = design.poles.size();
    std::vector<bool> used(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        if (used[i])
            continue;
        used[i] = true;
        const Complex pole = design.poles[i];
        const double zero = design.zeros[i].real();
        if (std::abs(pole.imag()) <= RealPoleLimit) {
            m_sections.emplace_back(m_channels, pole, design.zeros[i], false);
            continue;
        }
        std::size_t partner = count;
        double nearest = 0.0;
        for (std::size_t j = i + 1; j < count; ++j) {
            const double distance = std::abs(design.poles[j] - std::conj(pole));
            if (!used[j] && (partner == count || distance < nearest)) {
                partner = j;
                nearest = distance;
            }
        }
        const Complex upper(pole.real(), std::abs(pole.imag()));
        if (partner == count) { // cannot happen with a real filter's design
            m_sections.emplace_back(m_channels, upper, zero, zero);
            continue;
        }
        used[partner] = true;
        m_sections.emplace_back(m_channels, upper, zero, design.zeros[partner].real());
    }
    // Each section at unit gain where the pass band is normalised.
    const double w = FilterReferenceFrequency(wanted, sampleRate);
    for (FilterPair& s : m_sections) {
        const double g = s.GainAt(w);
        if (g > 0.0 && std::isfinite(g))
            s.gain = 1.0 / g;
    }
    for (const FilterPair& s : m_sections) {
        // A first-order section is a second-order one with a2 = b2 = 0.
        m_coeffs.insert(m_coeffs.end(), {s.a1, s.a2, s.gain, s.gain * s.b1, s.gain * s.b2});
    }
    m_state.assign(m_sections.size() * std::size_t(m_channels) * 4, 0.0);
    m_chunk.assign(ChunkFrames * std::size_t(m_channels), 0.0);
}

void DigitalFilter::FilterFrame(double* frame)
{
    for (FilterPair& s : m_sections)
        s.Filter(frame);
    for (int c = 0; c < m_channels; ++c)
        frame[c] *= m_outputScale;
}

void DigitalFilter::FilterFrame16(int16_t* frame)
{
    for (int c = 0; c < m_channels; ++c)
        m_work[std::size_t(c)] = frame[c];
    FilterFrame(m_work.data());
    for (int c = 0; c < m_channels; ++c)
        frame[c] = SaturateToInt16(m_work[std::size_t(c)]);
}

namespace {

// Every kernel below runs S sections at once over a chunk of frames: section
// s + 1 works on a frame while section s already works on the next, so the
// sections' recursions overlap instead of waiting on one another. State and
// coefficients stay in locals, so no recursion waits on memory. Each lane of
// a vector does exactly the scalar arithmetic (no fused multiply-add).

// One channel.
template <int S>
void runSections1(double* work, std::size_t frames, int stride, const double* k, double* const* states)
{
    double x1[S], x2[S], y1[S], y2[S];
    for (int s = 0; s < S; ++s) {
        x1[s] = states[s][0];
        x2[s] = states[s][1];
        y1[s] = states[s][2];
        y2[s] = states[s][3];
    }
    for (std::size_t f = 0; f < frames; ++f) {
        double x0 = work[f * std::size_t(stride)];
        for (int s = 0; s < S; ++s) {
            // Only a1 * y1 waits on the previous output.
            const double rest = k[5 * s + 1] * y2[s]
                              + (k[5 * s + 2] * x0 + k[5 * s + 3] * x1[s] + k[5 * s + 4] * x2[s]);
            const double y0 = k[5 * s] * y1[s] + rest;
            x2[s] = x1[s];
            x1[s] = x0;
            y2[s] = y1[s];
            y1[s] = y0;
            x0 = y0;
        }
        work[f * std::size_t(stride)] = x0;
    }
    for (int s = 0; s < S; ++s) {
        states[s][0] = x1[s];
        states[s][1] = x2[s];
        states[s][2] = y1[s];
        states[s][3] = y2[s];
    }
}

// Two adjacent channels in one 128-bit register (GCC's and Clang's vector
// extension).
using Double2 = double __attribute__((vector_size(16)));

template <int S>
void runSections2(double* work, std::size_t frames, int stride, const double* k, double* const* states)
{
    Double2 a1[S], a2[S], b0[S], b1[S], b2[S];
    Double2 x1[S], x2[S], y1[S], y2[S];
    for (int s = 0; s < S; ++s) {
        a1[s] = Double2{k[5 * s], k[5 * s]};
        a2[s] = Double2{k[5 * s + 1], k[5 * s + 1]};
        b0[s] = Double2{k[5 * s + 2], k[5 * s + 2]};
        b1[s] = Double2{k[5 * s + 3], k[5 * s + 3]};
        b2[s] = Double2{k[5 * s + 4], k[5 * s + 4]};
        const double* l = states[s]; // the first channel's four values, then the second's
        x1[s] = Double2{l[0], l[4]};
        x2[s] = Double2{l[1], l[5]};
        y1[s] = Double2{l[2], l[6]};
        y2[s] = Double2{l[3], l[7]};
    }
    for (std::size_t f = 0; f < frames; ++f) {
        double* v = work + f * std::size_t(stride);
        Double2 x0;
        std::memcpy(&x0, v, sizeof x0);
        for (int s = 0; s < S; ++s) {
            const Double2 rest = a2[s] * y2[s] + (b0[s] * x0 + b1[s] * x1[s] + b2[s] * x2[s]);
            const Double2 y0 = a1[s] * y1[s] + rest;
            x2[s] = x1[s];
            x1[s] = x0;
            y2[s] = y1[s];
            y1[s] = y0;
            x0 = y0;
        }
        std::memcpy(v, &x0, sizeof x0);
    }
    for (int s = 0; s < S; ++s) {
        double* l = states[s];
        for (int c = 0; c < 2; ++c) {
            l[4 * c] = x1[s][c];
            l[4 * c + 1] = x2[s][c];
            l[4 * c + 2] = y1[s][c];
            l[4 * c + 3] = y2[s][c];
        }
    }
}

#if defined(__x86_64__)
// Four adjacent channels in one 256-bit register, on processors with AVX
// (chosen at run time).
using Double4 = double __attribute__((vector_size(32)));

template <int S>
__attribute__((target("avx"))) void runSections4(double* work, std::size_t frames, int stride, const double* k,
                                                 double* const* states)
{
    Double4 a1[S], a2[S], b0[S], b1[S], b2[S];
    Double4 x1[S], x2[S], y1[S], y2[S];
    for (int s = 0; s < S; ++s) {
        a1[s] = Double4{k[5 * s], k[5 * s], k[5 * s], k[5 * s]};
        a2[s] = Double4{k[5 * s + 1], k[5 * s + 1], k[5 * s + 1], k[5 * s + 1]};
        b0[s] = Double4{k[5 * s + 2], k[5 * s + 2], k[5 * s + 2], k[5 * s + 2]};
        b1[s] = Double4{k[5 * s + 3], k[5 * s + 3], k[5 * s + 3], k[5 * s + 3]};
        b2[s] = Double4{k[5 * s + 4], k[5 * s + 4], k[5 * s + 4], k[5 * s + 4]};
        const double* l = states[s]; // channels 0..3, four values each
        x1[s] = Double4{l[0], l[4], l[8], l[12]};
        x2[s] = Double4{l[1], l[5], l[9], l[13]};
        y1[s] = Double4{l[2], l[6], l[10], l[14]};
        y2[s] = Double4{l[3], l[7], l[11], l[15]};
    }
    for (std::size_t f = 0; f < frames; ++f) {
        double* v = work + f * std::size_t(stride);
        Double4 x0;
        std::memcpy(&x0, v, sizeof x0);
        for (int s = 0; s < S; ++s) {
            const Double4 rest = a2[s] * y2[s] + (b0[s] * x0 + b1[s] * x1[s] + b2[s] * x2[s]);
            const Double4 y0 = a1[s] * y1[s] + rest;
            x2[s] = x1[s];
            x1[s] = x0;
            y2[s] = y1[s];
            y1[s] = y0;
            x0 = y0;
        }
        std::memcpy(v, &x0, sizeof x0);
    }
    for (int s = 0; s < S; ++s) {
        double* l = states[s];
        for (int c = 0; c < 4; ++c) {
            l[4 * c] = x1[s][c];
            l[4 * c + 1] = x2[s][c];
            l[4 * c + 2] = y1[s][c];
            l[4 * c + 3] = y2[s][c];
        }
    }
}

bool haveAvx()
{
    static const bool have = __builtin_cpu_supports("avx");
    return have;
}
#else
template <int S>
void runSections4(double*, std::size_t, int, const double*, double* const*)
{
}
bool haveAvx()
{
    return false;
}
#endif

} // namespace

void DigitalFilter::FilterBlock16(int16_t* samples, std::size_t frames)
{
    // Section by section over chunks that stay in the first-level cache.
    const double scale = m_outputScale;
    const std::size_t channels = std::size_t(m_channels);
    const std::size_t sections = m_sections.size();
    const double* k = m_coeffs.data();
    auto stateOf = [this, channels](std::size_t section, int c) {
        return &m_state[(section * channels + std::size_t(c)) * 4];
    };
    for (std::size_t done = 0; done < frames; done += ChunkFrames) {
        const std::size_t n = std::min(ChunkFrames, frames - done);
        int16_t* chunk = samples + done * channels;
        for (std::size_t i = 0; i < n * channels; ++i)
            m_chunk[i] = chunk[i];
        int c = 0;
        // The kernel for `Width` channels from channel c, over all sections.
        auto run = [&](auto kernel4, auto kernel1) {
            std::size_t s = 0;
            for (; s + 4 <= sections; s += 4) {
                double* st[4] = {stateOf(s, c), stateOf(s + 1, c), stateOf(s + 2, c), stateOf(s + 3, c)};
                kernel4(m_chunk.data() + c, n, m_channels, k + 5 * s, st);
            }
            for (; s < sections; ++s) {
                double* st[1] = {stateOf(s, c)};
                kernel1(m_chunk.data() + c, n, m_channels, k + 5 * s, st);
            }
        };
        if (haveAvx())
            for (; c + 4 <= m_channels; c += 4)
                run(runSections4<4>, runSections4<1>);
        for (; c + 2 <= m_channels; c += 2)
            run(runSections2<4>, runSections2<1>);
        for (; c < m_channels; ++c)
            run(runSections1<4>, runSections1<1>);
        for (std::size_t i = 0; i < n * channels; ++i)
            chunk[i] = SaturateToInt16(m_chunk[i] * scale);
    }
}

} // namespace velmar::deck
