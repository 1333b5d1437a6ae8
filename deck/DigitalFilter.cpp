#include "deck/DigitalFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmar::deck {

namespace {

constexpr double Pi = std::numbers::pi;
// A pole whose imaginary part is at most this is real and makes a
// first-order section.
constexpr double RealPoleLimit = 1e-14;

bool usesHighPassEdge(int band) { return band == BandHighPass || band == BandPass; }
bool usesLowPassEdge(int band) { return band == BandLowPass || band == BandPass; }

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
        const Complex s = std::sqrt(a * a - p);   // principal root
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
    if (!(value > -32768.0))   // also NaN
        return std::isnan(value) ? 0 : int16_t(-32768);
    if (value >= 32767.0)
        return 32767;
    return int16_t(value);   // truncates toward zero
}

QString FilterSpecProblem(const FilterSpec& spec, double sampleRate)
{
    if (spec.Order < 1 || spec.Order > FilterSpec::MaxOrder)
        return QStringLiteral("Filter order must be between 1 and %1").arg(FilterSpec::MaxOrder);
    const double nyquist = sampleRate / 2.0;
    auto edgeOk = [nyquist](double hz) { return hz > 0.0 && hz < nyquist; };
    if (usesHighPassEdge(spec.Band) && !edgeOk(spec.HighPassHz))
        return QStringLiteral("The high pass frequency must be above 0 and below %1 Hz").arg(nyquist);
    if (usesLowPassEdge(spec.Band) && !edgeOk(spec.LowPassHz))
        return QStringLiteral("The low pass frequency must be above 0 and below %1 Hz").arg(nyquist);
    if (spec.Band == BandPass && spec.HighPassHz >= spec.LowPassHz)
        return QStringLiteral("The high pass frequency must be below the low pass frequency");
    return {};
}

FilterDesign DesignFilter(const FilterSpec& spec, double sampleRate)
{
    FilterDesign design;
    if (spec.FilterType != FilterButterworth && spec.FilterType != FilterChebyshev)
        return design;
    if (spec.Band < BandHighPass || spec.Band > BandPass || !FilterSpecProblem(spec, sampleRate).isEmpty())
        return design;

    const int n = spec.Order;
    double omega = 0, zeroValue = 0, w1 = 0, w2 = 0;
    switch (spec.Band) {
    case BandHighPass:
        omega = Pi - 2.0 * Pi * spec.HighPassHz / sampleRate;
        zeroValue = 1.0;
        break;
    case BandLowPass:
        omega = 2.0 * Pi * spec.LowPassHz / sampleRate;
        zeroValue = -1.0;
        break;
    default:
        w1 = 2.0 * Pi * spec.HighPassHz / sampleRate;
        w2 = 2.0 * Pi * spec.LowPassHz / sampleRate;
        omega = w2 - w1;
        zeroValue = 0.0;
        break;
    }
    const double t = std::tan(omega / 2.0);

    std::vector<Complex>& poles = design.poles;
    if (spec.FilterType == FilterButterworth) {
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
        const double a = std::pow(10.0, -spec.RippleDb / 20.0);
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

    if (spec.Band == BandPass)
        poles = bandPassTransform(poles, w1, w2, design.zeros);
    if (spec.Band == BandHighPass)
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

double FilterReferenceGain(const FilterSpec& spec, double sampleRate, const FilterDesign& design)
{
    double w = 0.0;
    switch (spec.Band) {
    case BandHighPass: w = Pi; break;
    case BandLowPass: w = 0.0; break;
    case BandPass:
        w = std::sqrt((2.0 * Pi * spec.HighPassHz / sampleRate) * (2.0 * Pi * spec.LowPassHz / sampleRate));
        break;
    default: return 0.0;
    }
    double gain = FilterGainAt(design, w);
    if (spec.FilterType == FilterChebyshev && spec.Order % 2 == 0)
        gain *= std::pow(10.0, spec.RippleDb / 20.0);
    return gain;
}

FilterPair::FilterPair(int channels, Complex pole, Complex zero, bool secondOrder)
    : m_channels(channels), m_order(secondOrder ? 2 : 1),
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
            y[0] = a1 * y[1] + x[0] + b1 * x[1];
        else
            y[0] = a1 * y[1] + a2 * y[2] + x[0] + b1 * x[1] + b2 * x[2];
        frame[c] = y[0];
    }
}

DigitalFilter::DigitalFilter(const FilterSpec& spec, int channels, double sampleRate)
    : m_channels(std::max(channels, 1)), m_work(std::size_t(m_channels), 0.0)
{
    const FilterDesign design = DesignFilter(spec, sampleRate);
    if (design.count() > 0)
        m_referenceGain = FilterReferenceGain(spec, sampleRate, design);
    for (int i = 0; i < design.count(); ++i) {
        const Complex& pole = design.poles[std::size_t(i)];
        if (pole.imag() < 0.0)
            continue;   // the conjugate's section covers it
        m_sections.emplace_back(m_channels, pole, design.zeros[std::size_t(i)], pole.imag() > RealPoleLimit);
    }
    for (const FilterPair& s : m_sections) {
        // A first-order section is a second-order one with a2 = b2 = 0.
        m_coeffs.insert(m_coeffs.end(), {s.a1, s.a2, s.b1, s.b2});
    }
    m_state.assign(m_sections.size() * std::size_t(m_channels) * 4, 0.0);
}

void DigitalFilter::FilterFrame(double* frame)
{
    for (FilterPair& s : m_sections)
        s.Filter(frame);
    for (int c = 0; c < m_channels; ++c)
        frame[c] /= m_referenceGain;
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

// The cascade over a block, frame by frame so that the processor can overlap
// one section's next frame with the following section's current one. The
// channel count is a template parameter where it is small, so that the
// channels' independent recursions run side by side.
template <int FixedChannels>
void runCascade(int16_t* samples, std::size_t frames, int dynamicChannels, const double* coeffs,
                std::size_t sections, double* state, double scale)
{
    const int channels = FixedChannels > 0 ? FixedChannels : dynamicChannels;
    constexpr int MaxLocal = 8;
    double v[MaxLocal > 0 ? MaxLocal : 1];
    for (std::size_t f = 0; f < frames; ++f) {
        int16_t* frame = samples + f * std::size_t(channels);
        for (int c0 = 0; c0 < channels; c0 += MaxLocal) {
            const int width = std::min(MaxLocal, channels - c0);
            for (int c = 0; c < width; ++c)
                v[c] = frame[c0 + c];
            for (std::size_t s = 0; s < sections; ++s) {
                const double a1 = coeffs[4 * s], a2 = coeffs[4 * s + 1];
                const double b1 = coeffs[4 * s + 2], b2 = coeffs[4 * s + 3];
                double* st = state + (s * std::size_t(channels) + std::size_t(c0)) * 4;
                for (int c = 0; c < width; ++c) {
                    double* h = st + 4 * c;   // x1 x2 y1 y2
                    const double x0 = v[c];
                    const double w = x0 + b1 * h[0] + b2 * h[1];
                    const double y0 = a1 * h[2] + a2 * h[3] + w;
                    h[1] = h[0];
                    h[0] = x0;
                    h[3] = h[2];
                    h[2] = y0;
                    v[c] = y0;
                }
            }
            for (int c = 0; c < width; ++c)
                frame[c0 + c] = SaturateToInt16(v[c] * scale);
        }
    }
}

} // namespace

void DigitalFilter::FilterBlock16(int16_t* samples, std::size_t frames)
{
    const double scale = 1.0 / m_referenceGain;
    const std::size_t sections = m_sections.size();
    switch (m_channels) {
    case 1: runCascade<1>(samples, frames, 1, m_coeffs.data(), sections, m_state.data(), scale); break;
    case 2: runCascade<2>(samples, frames, 2, m_coeffs.data(), sections, m_state.data(), scale); break;
    case 4: runCascade<4>(samples, frames, 4, m_coeffs.data(), sections, m_state.data(), scale); break;
    default: runCascade<0>(samples, frames, m_channels, m_coeffs.data(), sections, m_state.data(), scale); break;
    }
}

} // namespace velmar::deck
