#include "deck/ui/DigFilterDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace velmar::deck {

namespace {

int intField(const QString& text, bool* ok)
{
    const int v = text.trimmed().toInt(ok);
    return *ok ? v : 0;
}

int firstStepAbove(double pixelsPerUnit, std::initializer_list<int> steps)
{
    int last = 0;
    for (int s : steps) {
        last = s;
        if (s * pixelsPerUnit > 50)
            return s;
    }
    return last;
}

} // namespace

QString ValidateFilterFields(const FilterFields& f, double sampleRate, FilterSpec& wanted,
                             FilterDisplaySettings& display)
{
    const double nyquist = sampleRate / 2;
    wanted.FilterType = int16_t(f.type);
    wanted.Band = int16_t(f.band);
    bool ok = false;
    if (f.band == BandHighPass || f.band == BandPass) {
        wanted.HighPassHz = intField(f.highPass, &ok);
        // Cut-offs at or above half the sample rate fold back into nonsense.
        if (!ok || wanted.HighPassHz <= 0 || wanted.HighPassHz >= nyquist)
            return QStringLiteral("Invalid high pass cut off frequency");
    }
    if (f.band == BandLowPass || f.band == BandPass) {
        wanted.LowPassHz = intField(f.lowPass, &ok);
        if (!ok || wanted.LowPassHz <= 0 || wanted.LowPassHz >= nyquist)
            return QStringLiteral("Invalid low pass cut off frequency");
    }
    if (f.band == BandPass && wanted.LowPassHz <= wanted.HighPassHz)
        return QStringLiteral("Low pass Frequency may not be less than the high pass frequency !");
    wanted.Order = intField(f.order, &ok);
    if (wanted.Order <= 0)
        return QStringLiteral("Filter order must be greater than 0");
    // Longer filters than the deck can run to the last bit are refused here,
    // not found out at the next playback.
    if (wanted.Order > MaxFilterOrder)
        return QStringLiteral("Filter order may not be more than %1").arg(MaxFilterOrder);
    const double ripple = f.ripple.trimmed().toDouble(&ok);
    if (!ok || !(ripple > 0) || !std::isfinite(ripple))
        return QStringLiteral("Passband ripple must be greater than 0 dB");
    if (wanted.FilterType == FilterChebyshev && ripple > MaxFilterRippleDb)
        return QStringLiteral("Passband ripple may not be more than %1 dB").arg(MaxFilterRippleDb);
    wanted.RippleDb = float(ripple);
    display.ShowGrid = f.showGrid;
    display.ShowPhase = f.showPhase;
    display.LogFrequency = f.logFrequency;
    display.GainRangeDb = intField(f.gainRange, &ok);
    if (display.GainRangeDb <= 0)
        return QStringLiteral("Filter gain range must be greater than 0 dB");
    if (f.logFrequency) {
        display.StartFrequencyHz = intField(f.startFrequency, &ok);
        if (display.StartFrequencyHz <= 0)
            return QStringLiteral("Start Frequency for log frequency scale must be greater than 0 Hz");
    }
    return QString();
}

int GainTickStep(double pixelsPerDb)
{
    return firstStepAbove(pixelsPerDb, {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000});
}
int PhaseTickStep(double pixelsPerDegree)
{
    return firstStepAbove(pixelsPerDegree, {45, 90, 180});
}
int LinearFrequencyStep(double pixelsPerHz)
{
    return firstStepAbove(pixelsPerHz, {1000, 2000, 5000, 10000});
}

std::vector<ResponseColumn> ResponseColumns(const FilterDesign& design, double fs, int points,
                                            const FilterDisplaySettings& display)
{
    std::vector<ResponseColumn> columns;
    if (points < 2 || fs <= 0)
        return columns;
    const double fN = fs / 2;
    const double start = display.StartFrequencyHz > 0 ? display.StartFrequencyHz : 1.0;
    for (int i = 0; i < points; ++i) {
        const double t = double(i) / (points - 1);
        ResponseColumn c;
        c.frequency = display.LogFrequency ? start * std::pow(fN / start, t) : t * fN;
        const double w = std::numbers::pi * c.frequency / fN;
        const double gain = FilterGainAt(design, w);
        c.gainDb = gain > 0 ? 20 * std::log10(gain) : NoGain;
        double phase = FilterPhaseAt(design, w) * 180 / std::numbers::pi;
        while (phase >= 180)
            phase -= 360;
        while (phase < -180)
            phase += 360;
        c.phaseDegrees = phase;
        columns.push_back(c);
    }
    return columns;
}

// --- Plots -------------------------------------------------------------------

TPoleZero::TPoleZero(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

QString TPoleZero::caption() const
{
    return QStringLiteral("%1 pole zero pairs").arg(m_design ? m_design->count() : 0);
}

void TPoleZero::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int r = std::min(width(), height()) / 2 - 10;
    const QPoint c = rect().center();
    p.drawText(rect().adjusted(0, 2, -4, 0), Qt::AlignRight | Qt::AlignTop, caption());
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(c.x() - r, c.y(), c.x() + r, c.y());
    p.drawLine(c.x(), c.y() - r, c.x(), c.y() + r);
    p.drawEllipse(c, r, r);
    if (!m_design)
        return;
    const auto at = [&](const Complex& z) { return QPoint(c.x() + int(z.real() * r), c.y() - int(z.imag() * r)); };
    p.setPen(QPen(Qt::blue, 2));
    for (const Complex& z : m_design->zeros)
        p.drawEllipse(at(z), 5, 5);
    p.setPen(QPen(Qt::red, 2));
    for (const Complex& z : m_design->poles) {
        const QPoint q = at(z);
        p.drawLine(q + QPoint(-4, -4), q + QPoint(4, 4));
        p.drawLine(q + QPoint(-4, 4), q + QPoint(4, -4));
    }
}

TFilterResponse::TFilterResponse(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TFilterResponse::setDesign(const FilterDesign* design, const FilterDisplaySettings* display, double sampleRate,
                                double referenceGain)
{
    m_design = design;
    m_display = display;
    m_rate = sampleRate;
    m_referenceGain = referenceGain;
    update();
}

void TFilterResponse::paintEvent(QPaintEvent*)
{
    if (!m_design || !m_display || m_rate <= 0)
        return;
    QPainter p(this);
    const QFontMetrics fm = p.fontMetrics();
    const int cw = fm.averageCharWidth(), ch = fm.height();
    const bool phase = m_display->ShowPhase;
    const QRect plot(7 * cw, 4 * ch, width() - 7 * cw - (phase ? 8 : 3) * cw, height() - 4 * ch - 5 * ch / 2);
    if (plot.width() < 2 || plot.height() < 2)
        return;
    const auto columns = ResponseColumns(*m_design, m_rate, plot.width() + 1, *m_display);
    double high = NoGain, low = 1.0;
    for (const auto& c : columns)
        if (c.gainDb != NoGain)
            high = std::max(high, c.gainDb), low = std::min(low, c.gainDb);
    if (high == low)
        return;
    const double perDb = double(plot.height()) / m_display->GainRangeDb;
    const double perDegree = plot.height() / 360.0;
    p.setPen(QColor(128, 128, 128));
    p.drawRect(plot);
    const int gainStep = GainTickStep(perDb);
    p.setPen(QColor(192, 0, 0));
    for (int db = 0; db * perDb <= plot.height(); db += gainStep) {
        const int y = plot.top() + int(db * perDb);
        p.drawLine(m_display->ShowGrid ? plot.left() : plot.left() - 10, y,
                   m_display->ShowGrid ? plot.right() : plot.left(), y);
        p.drawText(QRect(0, y - ch / 2, plot.left() - 12, ch), Qt::AlignRight | Qt::AlignVCenter, QString::number(-db));
    }
    p.drawText(QRect(0, plot.bottom() + 4, plot.left() + 4 * cw, ch), Qt::AlignLeft, QStringLiteral("Gain (dB)"));
    if (phase) {
        p.setPen(QColor(0, 192, 0));
        const int step = PhaseTickStep(perDegree);
        for (int deg = 180; deg >= -180; deg -= step) {
            const int y = plot.top() + plot.height() / 2 - int(deg * perDegree);
            p.drawText(QRect(plot.right() + 4, y - ch / 2, 8 * cw, ch), Qt::AlignLeft | Qt::AlignVCenter,
                       QString::number(deg));
        }
        p.drawText(QRect(plot.right(), plot.bottom() + 4, 8 * cw, ch), Qt::AlignLeft, QStringLiteral("Phase"));
    }
    p.setPen(QColor(128, 128, 128));
    const double fN = m_rate / 2;
    if (!m_display->LogFrequency) {
        const double perHz = plot.width() / fN;
        const int step = LinearFrequencyStep(perHz);
        for (int f = 0; f <= fN; f += step) {
            const int x = plot.left() + int(f * perHz);
            p.drawLine(x, m_display->ShowGrid ? plot.bottom() : plot.top() - 10, x, plot.top());
            p.drawText(QRect(x - 3 * cw, plot.top() - 10 - ch, 6 * cw, ch), Qt::AlignCenter,
                       QStringLiteral("%1 k").arg(f / 1000));
        }
    } else {
        const double start = m_display->StartFrequencyHz;
        const double perDecade = plot.width() / std::log10(fN / start);
        for (double decade = std::pow(10.0, std::floor(std::log10(start))); decade <= fN; decade *= 10) {
            for (int m = 1; m <= 9; ++m) {
                const double f = decade * m;
                if (f < start || f > fN || (m > 1 && perDecade <= 50))
                    continue;
                const int x = plot.left() + int(std::log10(f / start) * perDecade);
                p.setPen(QPen(QColor(128, 128, 128), 1, m == 1 ? Qt::SolidLine : Qt::DotLine));
                p.drawLine(x, m_display->ShowGrid ? plot.bottom() : plot.top() - 10, x, plot.top());
                if (m == 1)
                    p.drawText(QRect(x - 3 * cw, plot.top() - 10 - ch, 6 * cw, ch), Qt::AlignCenter,
                               f >= 1000 ? QStringLiteral("%1 k").arg(int(f / 1000))
                                         : QString::asprintf("%3.2f k", f / 1000));
            }
        }
    }
    p.setPen(Qt::black);
    p.drawText(QRect(plot.left(), plot.top() - 10 - 2 * ch, plot.width(), ch), Qt::AlignRight,
               QStringLiteral("Frequency (Hz)"));
    p.drawText(
        QRect(0, 0, width(), ch), Qt::AlignLeft,
        QString::asprintf("Max System Gain : %4.1f dB", 20 * std::log10(m_referenceGain > 0 ? m_referenceGain : 1)));
    QPolygon gain, phaseLine;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int x = plot.left() + int(i);
        if (columns[i].gainDb != NoGain)
            gain << QPoint(x, plot.top() - int((columns[i].gainDb - high) * perDb));
        phaseLine << QPoint(x, plot.top() + plot.height() / 2 - int(columns[i].phaseDegrees * perDegree));
    }
    p.setClipRect(plot);
    p.setPen(QPen(Qt::red, 2));
    p.drawPolyline(gain);
    if (phase) {
        p.setPen(QPen(QColor(0, 224, 0), 2));
        p.drawPolyline(phaseLine);
    }
}

// --- The dialog --------------------------------------------------------------

DigFilterDialog::DigFilterDialog(QWidget* parent, FilterSpec& wanted, FilterDisplaySettings& display, double sampleRate,
                                 MessageFn showMessage, const QString& caption)
    : QDialog(parent), m_callerSpec(wanted), m_display(display), m_spec(wanted), m_rate(sampleRate),
      m_showMessage(std::move(showMessage))
{
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Digital Filter") : caption);
    auto* settings = new QGroupBox(QStringLiteral("Filter Settings"), this);
    m_type = new QComboBox(settings);
    m_type->addItems({QStringLiteral("No Filtering"), QStringLiteral("Butterworth"), QStringLiteral("Chebyshev")});
    m_type->setCurrentIndex(std::clamp<int>(m_spec.FilterType, 0, 2));
    m_high = new QRadioButton(QStringLiteral("High Pass"), settings);
    m_band = new QRadioButton(QStringLiteral("Band Pass"), settings);
    m_low = new QRadioButton(QStringLiteral("Low Pass"), settings);
    (m_spec.Band == BandHighPass ? m_high : m_spec.Band == BandPass ? m_band : m_low)->setChecked(true);
    const auto edit = [settings](const QString& text, int length) {
        auto* e = new QLineEdit(text, settings);
        e->setMaxLength(length);
        return e;
    };
    m_highPass = edit(QString::number(m_spec.HighPassHz), 6);
    m_lowPass = edit(QString::number(m_spec.LowPassHz), 6);
    m_order = edit(QString::number(m_spec.Order), 3);
    m_ripple = edit(QString::asprintf("%3.1f", double(m_spec.RippleDb)), 5);
    m_gainRange = edit(QString::number(display.GainRangeDb), 5);
    m_startFrequency = edit(QString::number(display.StartFrequencyHz), 6);
    m_grid = new QCheckBox(QStringLiteral("Show Grid"), this);
    m_grid->setChecked(display.ShowGrid);
    m_phase = new QCheckBox(QStringLiteral("Show Phase"), this);
    m_phase->setChecked(display.ShowPhase);
    m_log = new QCheckBox(QStringLiteral("Log frequency scale"), this);
    m_log->setChecked(display.LogFrequency);
    auto* plotNow = new QPushButton(QStringLiteral("Plot Now"), this);
    auto* grid = new QGridLayout(settings);
    grid->addWidget(m_type, 0, 0);
    grid->addWidget(m_high, 0, 1);
    grid->addWidget(m_band, 0, 2);
    grid->addWidget(m_low, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("High Pass (Hz)"), settings), 1, 0);
    grid->addWidget(m_highPass, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Low Pass (Hz)"), settings), 1, 2);
    grid->addWidget(m_lowPass, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Order"), settings), 2, 0);
    grid->addWidget(m_order, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Ripple (dB)"), settings), 2, 2);
    grid->addWidget(m_ripple, 2, 3);
    auto* displayRow = new QHBoxLayout;
    displayRow->addWidget(plotNow);
    displayRow->addWidget(m_grid);
    displayRow->addWidget(m_phase);
    displayRow->addWidget(m_log);
    displayRow->addWidget(new QLabel(QStringLiteral("Gain Range (dB)"), this));
    displayRow->addWidget(m_gainRange);
    displayRow->addWidget(new QLabel(QStringLiteral("Start Frequency (Hz)"), this));
    displayRow->addWidget(m_startFrequency);
    m_poleZero = new TPoleZero(this);
    m_response = new TFilterResponse(this);
    m_poleZero->setMinimumSize(240, 240);
    m_response->setMinimumSize(480, 240);
    auto* plots = new QHBoxLayout;
    plots->addWidget(m_poleZero, 1);
    plots->addWidget(m_response, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* all = new QVBoxLayout(this);
    all->addWidget(settings);
    all->addLayout(displayRow);
    all->addLayout(plots, 1);
    all->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] { ok(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(plotNow, &QPushButton::clicked, this, [this] { redesign(); });
    for (QLineEdit* e : {m_highPass, m_lowPass, m_order, m_ripple, m_gainRange, m_startFrequency}) {
        connect(e, &QLineEdit::textEdited, this, [this] { m_changed = true; });
        connect(e, &QLineEdit::editingFinished, this, [this] {
            if (m_changed)
                redesign();
        });
    }
    const auto typeOrBand = [this] {
        m_changed = true;
        readControls();
        QTimer::singleShot(0, this, [this] { redesign(); });
    };
    connect(m_type, &QComboBox::currentIndexChanged, this, typeOrBand);
    for (QRadioButton* b : {m_high, m_band, m_low})
        connect(b, &QRadioButton::clicked, this, typeOrBand);
    connect(m_grid, &QCheckBox::clicked, this, [this] { redesign(); });
    connect(m_phase, &QCheckBox::clicked, this, [this] { redesign(); });
    connect(m_log, &QCheckBox::clicked, this, [this] {
        readControls();
        redesign();
    });
    readControls();
    redesign();
}

QRadioButton* DigFilterDialog::bandButton(int band) const
{
    return band == BandHighPass ? m_high : band == BandPass ? m_band : m_low;
}

FilterFields DigFilterDialog::fields() const
{
    FilterFields f;
    f.type = m_type->currentIndex();
    f.band = m_high->isChecked() ? BandHighPass : m_band->isChecked() ? BandPass : BandLowPass;
    f.highPass = m_highPass->text();
    f.lowPass = m_lowPass->text();
    f.order = m_order->text();
    f.ripple = m_ripple->text();
    f.showGrid = m_grid->isChecked();
    f.showPhase = m_phase->isChecked();
    f.logFrequency = m_log->isChecked();
    f.gainRange = m_gainRange->text();
    f.startFrequency = m_startFrequency->text();
    return f;
}

void DigFilterDialog::readControls()
{
    const FilterFields f = fields();
    m_ripple->setEnabled(f.type == FilterChebyshev);
    m_highPass->setEnabled(f.band != BandLowPass);
    m_lowPass->setEnabled(f.band != BandHighPass);
    m_startFrequency->setEnabled(f.logFrequency);
}

bool DigFilterDialog::validate()
{
    const QString problem = ValidateFilterFields(fields(), m_rate, m_spec, m_display);
    if (!problem.isEmpty() && m_showMessage)
        m_showMessage(problem, QString());
    return problem.isEmpty();
}

bool DigFilterDialog::redesign()
{
    if (!validate())
        return false;
    m_design = DesignFilter(m_spec, m_rate);
    m_referenceGain = m_design.count() > 0 ? FilterReferenceGain(m_spec, m_rate, m_design) : 1.0;
    m_poleZero->setDesign(&m_design);
    m_response->setDesign(&m_design, &m_display, m_rate, m_referenceGain);
    m_changed = false;
    return true;
}

void DigFilterDialog::ok()
{
    if (m_changed) {
        redesign();
        return;
    }
    if (!validate())
        return;
    m_callerSpec = m_spec;
    accept();
}

} // namespace velmar::deck
