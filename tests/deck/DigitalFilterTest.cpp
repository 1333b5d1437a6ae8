// The speaker filters against responses known from the design formulas and
// against scipy, and the fast block cascade against the section-by-section
// loop.
#include "deck/DeckBlock.h"
#include "deck/DigitalFilter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace velmar::deck;

namespace {

constexpr double Pi = std::numbers::pi;

FilterSpec wanted(int type, int band, int highHz, int lowHz, int order, float ripple = 2.0f)
{
    FilterSpec s;
    s.FilterType = int16_t(type);
    s.Band = int16_t(band);
    s.HighPassHz = highHz;
    s.LowPassHz = lowHz;
    s.Order = order;
    s.RippleDb = ripple;
    return s;
}

double w(double hz, double rate)
{
    return 2.0 * Pi * hz / rate;
}

} // namespace

TEST(DigitalFilter, ButterworthLowPassOrderTwoAtAQuarterOfTheRate)
{
    const FilterSpec s = wanted(FilterButterworth, BandLowPass, 2000, 12000, 2);
    const FilterDesign d = DesignFilter(s, 48000);
    ASSERT_EQ(d.count(), 2);
    EXPECT_NEAR(d.poles[0].real(), 0.0, 1e-12);
    EXPECT_NEAR(std::abs(d.poles[0].imag()), std::sqrt(2.0) - 1.0, 1e-12);
    EXPECT_NEAR(d.poles[1].imag(), -d.poles[0].imag(), 1e-12);
    EXPECT_EQ(d.zeros[0], Complex(-1.0, 0.0));

    DigitalFilter f(s, 1, 48000);
    ASSERT_EQ(f.sectionCount(), 1);
    const FilterPair& p = f.section(0);
    EXPECT_EQ(p.order(), 2);
    EXPECT_NEAR(p.a1, 0.0, 1e-12);
    EXPECT_NEAR(p.a2, -0.171572875, 1e-9);
    EXPECT_DOUBLE_EQ(p.b1, 2.0);
    EXPECT_DOUBLE_EQ(p.b2, 1.0);
    EXPECT_NEAR(f.referenceGain(), 4.0 / (1.0 + 0.171572875), 1e-8);

    double frame = 1000.0;
    for (int i = 0; i < 200; ++i) {
        frame = 1000.0;
        f.FilterFrame(&frame);
    }
    EXPECT_NEAR(frame, 1000.0, 1e-6); // DC passes with gain 1
}

TEST(DigitalFilter, SectionsAndPolesOfEachDesign)
{
    struct Case {
        const char* legend;
        FilterSpec wanted;
        int poles, sections, firstOrderSections;
    } cases[] = {
        {"Butterworth low pass order 5", wanted(1, 2, 0, 5000, 5), 5, 3, 1},
        {"Butterworth high pass order 4", wanted(1, 1, 3000, 0, 4), 4, 2, 0},
        {"Chebyshev low pass order 5", wanted(2, 2, 0, 5000, 5), 5, 3, 1},
        {"Butterworth band pass order 3", wanted(1, 3, 2000, 10000, 3), 6, 3, 0},
        {"Butterworth band pass order 8", wanted(1, 3, 2000, 15000, 8), 16, 8, 0},
        {"Butterworth band pass order 16", wanted(1, 3, 2000, 15000, 16), 32, 16, 0},
        {"no filter", wanted(0, 2, 0, 5000, 5), 0, 0, 0},
        {"unknown band", wanted(1, 4, 2000, 5000, 5), 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        const FilterDesign d = DesignFilter(c.wanted, 48000);
        EXPECT_EQ(d.count(), c.poles);
        DigitalFilter f(c.wanted, 2, 48000);
        EXPECT_EQ(f.sectionCount(), c.sections);
        int firstOrder = 0;
        for (int i = 0; i < f.sectionCount(); ++i)
            firstOrder += f.section(i).order() == 1 ? 1 : 0;
        EXPECT_EQ(firstOrder, c.firstOrderSections);
        if (c.wanted.Band == BandPass) {
            for (int i = 0; i < d.count(); ++i)
                EXPECT_EQ(d.zeros[std::size_t(i)].real(), i % 2 == 0 ? 1.0 : -1.0);
        }
        if (c.poles == 0) {
            EXPECT_EQ(f.referenceGain(), 1.0);
        }
        for (const Complex& p : d.poles)
            EXPECT_LT(std::abs(p), 1.0); // stable
    }
}

TEST(DigitalFilter, GainAtTheBandEdges)
{
    const double rate = 48000;
    const double halfPower = 1.0 / std::sqrt(2.0);
    struct Case {
        const char* legend;
        FilterSpec wanted;
        std::vector<double> edgesHz;
        double edgeGain; // relative to the reference gain
    } cases[] = {
        {"Butterworth low pass", wanted(1, 2, 0, 5000, 4), {5000}, halfPower},
        {"Butterworth high pass", wanted(1, 1, 3000, 0, 5), {3000}, halfPower},
        {"Butterworth band pass", wanted(1, 3, 2000, 10000, 4), {2000, 10000}, halfPower},
        {"Chebyshev low pass, odd order", wanted(2, 2, 0, 6000, 5, 1.0f), {6000}, std::pow(10.0, -1.0 / 20)},
        {"Chebyshev low pass, even order", wanted(2, 2, 0, 6000, 4, 3.0f), {6000}, std::pow(10.0, -3.0 / 20)},
        {"Chebyshev high pass, even order", wanted(2, 1, 4000, 0, 6, 0.5f), {4000}, std::pow(10.0, -0.5 / 20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        const FilterDesign d = DesignFilter(c.wanted, rate);
        const double reference = FilterReferenceGain(c.wanted, rate, d);
        for (double edge : c.edgesHz)
            EXPECT_NEAR(FilterGainAt(d, w(edge, rate)) / reference, c.edgeGain, 1e-3) << edge << " Hz";
    }
    // A Chebyshev filter of even order is normalised to its ripple peak: DC,
    // in a trough, lies the ripple below unity.
    const FilterSpec even = wanted(2, 2, 0, 6000, 4, 3.0f);
    const FilterDesign d = DesignFilter(even, rate);
    EXPECT_NEAR(FilterGainAt(d, 0) / FilterReferenceGain(even, rate, d), std::pow(10.0, -3.0 / 20), 1e-9);
}

TEST(DigitalFilter, PhaseOfAFirstOrderLowPass)
{
    const FilterDesign d = DesignFilter(wanted(1, 2, 0, 12000, 1), 48000);
    ASSERT_EQ(d.count(), 1);
    EXPECT_NEAR(FilterPhaseAt(d, 0.0), 0.0, 1e-12);
    // One pole at 0, one zero at -1: H = (z + 1) / z, phase -w/2.
    EXPECT_NEAR(FilterPhaseAt(d, Pi / 2), -Pi / 4, 1e-9);
}

TEST(DigitalFilter, EdgesMustLieBelowHalfTheSampleRate)
{
    struct Case {
        const char* legend;
        FilterSpec wanted;
        bool designable;
    } cases[] = {
        {"low pass just below half the rate", wanted(1, 2, 0, 23999, 4), true},
        {"low pass at half the rate", wanted(1, 2, 0, 24000, 4), false},
        {"low pass above half the rate", wanted(1, 2, 0, 40000, 4), false},
        {"high pass at 0 Hz", wanted(1, 1, 0, 0, 4), false},
        {"band pass reaching past half the rate", wanted(2, 3, 2000, 30000, 4), false},
        {"band pass with its edges swapped", wanted(1, 3, 10000, 2000, 4), false},
        {"order 0", wanted(1, 2, 0, 5000, 0), false},
        {"high pass ignores the low pass edge", wanted(1, 1, 2000, 90000, 4), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.legend);
        EXPECT_EQ(FilterSpecProblem(c.wanted, 48000).isEmpty(), c.designable);
        EXPECT_EQ(DesignFilter(c.wanted, 48000).count() > 0, c.designable);
    }
}

TEST(DigitalFilter, BlockCascadeFollowsTheReferenceAndSaturates)
{
    // A loud square wave through a sharp low pass rings past full scale: the
    // samples must clip there, never wrap round to the other sign.
    for (int channels : {1, 2, 3, 4, 8}) {
        SCOPED_TRACE(channels);
        const FilterSpec s = wanted(FilterChebyshev, BandLowPass, 0, 3000, 8, 3.0f);
        DigitalFilter reference(s, channels, 48000);
        DigitalFilter block(s, channels, 48000);
        const int frames = 4800;
        std::vector<int16_t> samples(std::size_t(frames * channels));
        for (int f = 0; f < frames; ++f)
            for (int c = 0; c < channels; ++c)
                samples[std::size_t(f * channels + c)] = int16_t(((f / (40 + c)) % 2 ? 32767 : -32768));
        std::vector<int16_t> expected = samples;
        bool clipped = false;
        std::vector<double> frame(static_cast<std::size_t>(channels), 0.0);
        for (int f = 0; f < frames; ++f) {
            for (int c = 0; c < channels; ++c)
                frame[std::size_t(c)] = expected[std::size_t(f * channels + c)];
            reference.FilterFrame(frame.data());
            for (int c = 0; c < channels; ++c) {
                clipped = clipped || std::abs(frame[std::size_t(c)]) > 32768.0;
                expected[std::size_t(f * channels + c)] = SaturateToInt16(frame[std::size_t(c)]);
            }
        }
        EXPECT_TRUE(clipped);
        block.FilterBlock16(samples.data(), 1000); // in two blocks: the state carries over
        block.FilterBlock16(samples.data() + 1000 * channels, std::size_t(frames - 1000));
        for (std::size_t i = 0; i < samples.size(); ++i)
            ASSERT_NEAR(samples[i], expected[i], 1) << "sample " << i;
    }
}

TEST(DigitalFilter, SaturationToSixteenBits)
{
    struct Case {
        double in;
        int16_t out;
    } cases[] = {{0.0, 0},         {1.9, 1},           {-1.9, -1},         {32766.99, 32766}, {32767.0, 32767},
                 {40000.0, 32767}, {-32768.0, -32768}, {-32768.7, -32768}, {-1e9, -32768},    {std::nan(""), 0}};
    for (const Case& c : cases)
        EXPECT_EQ(SaturateToInt16(c.in), c.out) << c.in;
    // FilterFrame16 limits too.
    DigitalFilter f(wanted(FilterChebyshev, BandLowPass, 0, 3000, 8, 3.0f), 1, 48000);
    int16_t peak = 0, trough = 0;
    for (int i = 0; i < 4800; ++i) {
        int16_t s = int16_t((i / 40) % 2 ? 32767 : -32768);
        f.FilterFrame16(&s);
        peak = std::max(peak, s);
        trough = std::min(trough, s);
    }
    EXPECT_EQ(peak, 32767);
    EXPECT_EQ(trough, -32768);
}

// The filters as they play (the block path, int16 in and out, in the deck's
// blocks of 1/20 s) against scipy's butter/cheby1 designs run by sosfilt in
// double precision on the same input.
namespace {

constexpr int ReferenceChannels = 4;
constexpr int ReferenceFrames = 24000;

// Noise and a chirp from 0 Hz to half the sample rate, different on each
// channel, loud enough that a ringing filter clips now and then.
std::vector<int16_t> referenceInput()
{
    std::vector<int16_t> samples(std::size_t(ReferenceFrames * ReferenceChannels));
    uint32_t noise = 2024;
    for (int f = 0; f < ReferenceFrames; ++f) {
        for (int c = 0; c < ReferenceChannels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double t = double(f) / ReferenceFrames;
            const double chirp = 9000.0 * std::sin(Pi * ReferenceFrames / 2.0 * t * t + c);
            samples[std::size_t(f * ReferenceChannels + c)] = int16_t(chirp + double(int(noise >> 16) - 32768) / 4.0);
        }
    }
    return samples;
}

struct ReferenceCase {
    FilterSpec wanted;
    int rate;
};

std::vector<ReferenceCase> referenceCases()
{
    std::vector<ReferenceCase> cases;
    struct Band {
        int band, high, low, rate;
    } bands[] = {
        {BandLowPass, 0, 5000, 48000},   {BandLowPass, 0, 1, 48000},       {BandLowPass, 0, 23999, 48000},
        {BandLowPass, 0, 20, 192000},    {BandHighPass, 3000, 0, 48000},   {BandHighPass, 1, 0, 48000},
        {BandHighPass, 23999, 0, 48000}, {BandHighPass, 95999, 0, 192000}, {BandPass, 2000, 8000, 48000},
        {BandPass, 300, 3400, 8000},     {BandPass, 1, 2, 48000},          {BandPass, 23998, 23999, 48000},
        {BandPass, 1, 23999, 48000},     {BandPass, 2000, 40000, 192000},  {BandLowPass, 0, 1, 192000},
        {BandHighPass, 1, 0, 192000},    {BandPass, 1, 2, 192000},         {BandPass, 10000, 10001, 48000},
        {BandPass, 10, 20, 8000},        {BandLowPass, 0, 3999, 8000},
    };
    const int orders[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 16, 24, MaxFilterOrder};
    for (const Band& b : bands)
        for (int kind : {FilterButterworth, FilterChebyshev})
            for (int order : orders)
                for (float ripple : kind == FilterChebyshev ? std::vector<float>{0.1f, 2.0f, float(MaxFilterRippleDb)}
                                                            : std::vector<float>{2.0f})
                    cases.push_back({wanted(kind, b.band, b.high, b.low, order, ripple), b.rate});
    return cases;
}

QString caseText(const ReferenceCase& c)
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(c.wanted.FilterType)
        .arg(c.wanted.Band)
        .arg(c.wanted.HighPassHz)
        .arg(c.wanted.LowPassHz)
        .arg(c.wanted.Order)
        .arg(double(c.wanted.RippleDb), 0, 'g', 17)
        .arg(c.rate);
}

} // namespace

TEST(DigitalFilter, PlayingPathMatchesScipyWithinTwoLsb)
{
    const QString python = QStringLiteral(SCIPY_PYTHON);
    if (python.isEmpty())
        GTEST_SKIP() << "no python3 with scipy (Debian's python3-scipy) was found when the build was configured";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<int16_t> input = referenceInput();
    const std::vector<ReferenceCase> cases = referenceCases();
    {
        QFile in(dir.filePath(QStringLiteral("in.raw")));
        ASSERT_TRUE(in.open(QIODevice::WriteOnly));
        in.write(reinterpret_cast<const char*>(input.data()), qint64(input.size() * 2));
        QFile list(dir.filePath(QStringLiteral("cases.txt")));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        for (const ReferenceCase& c : cases)
            list.write((caseText(c) + QLatin1Char('\n')).toLatin1());
    }
    QProcess scipy;
    scipy.start(python, {QStringLiteral(FILTER_REFERENCE_SCRIPT), dir.filePath(QStringLiteral("cases.txt")),
                         dir.filePath(QStringLiteral("in.raw")), dir.filePath(QStringLiteral("out.raw")),
                         QString::number(ReferenceChannels)});
    ASSERT_TRUE(scipy.waitForFinished(300000));
    ASSERT_EQ(scipy.exitCode(), 0) << scipy.readAllStandardError().toStdString();
    const QString unusable = QString::fromUtf8(scipy.readAllStandardError());
    QFile out(dir.filePath(QStringLiteral("out.raw")));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray reference = out.readAll();
    ASSERT_EQ(reference.size(), qint64(cases.size() * input.size() * 2));

    const bool report = qEnvironmentVariableIsSet("VELMAR_FILTER_REPORT");
    for (std::size_t n = 0; n < cases.size(); ++n) {
        const ReferenceCase& c = cases[n];
        SCOPED_TRACE(caseText(c).toStdString());
        if (unusable.contains(QStringLiteral("unusable: %1\n").arg(n))) {
            ADD_FAILURE() << "scipy cannot design it";
            continue;
        }
        // Each case on 1 to 4 channels, so every width of the block path runs.
        const int channels = 1 + int(n % ReferenceChannels);
        std::vector<int16_t> samples(std::size_t(ReferenceFrames * channels));
        for (int f = 0; f < ReferenceFrames; ++f)
            for (int ch = 0; ch < channels; ++ch)
                samples[std::size_t(f * channels + ch)] = input[std::size_t(f * ReferenceChannels + ch)];
        ASSERT_TRUE(FilterSpecProblem(c.wanted, c.rate).isEmpty()) << FilterSpecProblem(c.wanted, c.rate).toStdString();
        DigitalFilter filter(c.wanted, channels, c.rate);
        const DeckRouting routing{channels, 1, 0, 0, 0};
        const std::size_t block = std::size_t(c.rate / 20);
        std::vector<int16_t> speaker(block);
        BlockLevels levels;
        for (std::size_t f = 0; f < std::size_t(ReferenceFrames); f += block)
            PlayBlock(samples.data() + f * std::size_t(channels), std::min(block, ReferenceFrames - f), routing,
                      &filter, std::nullopt, speaker.data(), levels);
        const auto* expected = reinterpret_cast<const int16_t*>(reference.constData()) + n * input.size();
        int worst = 0;
        std::size_t worstAt = 0;
        for (int f = 0; f < ReferenceFrames; ++f)
            for (int ch = 0; ch < channels; ++ch) {
                const int d = std::abs(samples[std::size_t(f * channels + ch)]
                                       - expected[std::size_t(f * ReferenceChannels + ch)]);
                if (d > worst) {
                    worst = d;
                    worstAt = std::size_t(f);
                }
            }
        if (report)
            std::printf("%-40s %6d (frame %zu)\n", caseText(c).toLatin1().constData(), worst, worstAt);
        EXPECT_LE(worst, 2) << "frame " << worstAt;
    }
}
