#include "forms/ui/TWhistleForm.h"

#include "nav/RecentLists.h"
#include "settings/ProgramSettings.h"
#include "widgets/MyControls.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLoggingCategory>
#include <QTimerEvent>

#include <algorithm>

namespace velmar::forms {

namespace {

Q_LOGGING_CATEGORY(whistleLog, "velmar.forms.whistles")

constexpr uint64_t kMsPerMinute = 60000;

struct Metrics {
    int h;
    int w;
    int r; // row height
    int m; // margin
    explicit Metrics(const QFont& font)
    {
        const QFontMetrics fm(font);
        h = fm.height();
        w = std::max(1, fm.averageCharWidth());
        r = h + 8;
        m = 5 * w;
    }
};

void ShowCount(QWidget* form, int countId, int timeId, int count, const platform::SystemTime* newest)
{
    if (shell::TMyEdit* edit = shell::FindMyEdit(form, countId))
        edit->SetCount(count, true);
    shell::SetTimeText(shell::FindMyEdit(form, timeId), count ? newest : nullptr);
}

} // namespace

TWhistleForm::TWhistleForm(QWidget* parent, std::function<int32_t()> warningMinutes)
    : QWidget(parent), m_warningMinutes(std::move(warningMinutes))
{
    setObjectName(QStringLiteral("Whistles"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);
    setFont(shell::DisplayFont());
    const Metrics mt(font());
    new shell::TMyStatic(this, -1, QStringLiteral("Recent Whistles and Whistle Events"), mt.m, mt.m, 50 * mt.w, mt.r);
    int y = mt.m + 2 * mt.h;
    y = AddDetectionGroup(QStringLiteral("Whistles"), y, kWhistleCountEdit, kWhistleTimeEdit) + mt.h;
    y = AddDetectionGroup(QStringLiteral("Whistle Events"), y, kWhistleEventCountEdit, kWhistleEventTimeEdit) + mt.h;
    AddDetectionGroup(QStringLiteral("Harmonic Events"), y, kHarmonicCountEdit, kHarmonicTimeEdit);
}

int TWhistleForm::AddDetectionGroup(const QString& title, int y, int countId, int timeId)
{
    const Metrics mt(font());
    const int f = y + mt.h + 2;
    // The frame first, so that the row's controls lie above it.
    new shell::TMyGroupBox(this, -1, title, mt.m, y, 53 * mt.w + 22, f + mt.r - y + 4);
    new shell::TMyStatic(this, -1, QStringLiteral("Detections"), mt.m + 10, f, 11 * mt.w, mt.r, 0, true);
    new shell::TMyEdit(this, countId, QString(), mt.m + 11 * mt.w + 13, f, 12 * mt.w, mt.r);
    new shell::TMyStatic(this, -1, QStringLiteral("Last Detection"), mt.m + 23 * mt.w + 16, f, 15 * mt.w, mt.r, 0,
                         true);
    new shell::TMyEdit(this, timeId, QStringLiteral("11:00:45"), mt.m + 38 * mt.w + 19, f, 12 * mt.w, mt.r);
    return f + mt.r + 4;
}

void TWhistleForm::Place(int left, int top, int right, int bottom)
{
    setGeometry(left + 2, top + 2, right - left - 4, bottom - top - 4);
}

void TWhistleForm::Refresh()
{
    const int32_t minutes = m_warningMinutes ? m_warningMinutes() : store::TheProgramSettings.WarningTime;
    const uint64_t ageMs = uint64_t(std::max<int32_t>(minutes, 0)) * kMsPerMinute;

    const int whistles = nav::CountWhistleDetections(ageMs);
    const nav::WHISTLEDETECTION* whistle = nav::WhistleDetections.newest;
    ShowCount(this, kWhistleCountEdit, kWhistleTimeEdit, whistles, whistle ? &whistle->record.pcTime : nullptr);

    const int events = nav::CountWhistleEvents(ageMs);
    const nav::WHISTLEEVENT* event = nav::WhistleEvents.newest;
    ShowCount(this, kWhistleEventCountEdit, kWhistleEventTimeEdit, events, event ? &event->programTime : nullptr);

    const int harmonics = nav::CountRightWhaleEvents(ageMs);
    const nav::RWEVENT* harmonic = nav::RightWhaleEvents.newest;
    ShowCount(this, kHarmonicCountEdit, kHarmonicTimeEdit, harmonics, harmonic ? &harmonic->programTime : nullptr);

    // Each change of the read-out goes to the log, for whoever watches it.
    QStringList shown;
    for (int id : {kWhistleCountEdit, kWhistleTimeEdit, kWhistleEventCountEdit, kWhistleEventTimeEdit,
                   kHarmonicCountEdit, kHarmonicTimeEdit})
        shown << shell::FindMyEdit(this, id)->text();
    const QString text = QStringLiteral("whistles %1 (%2), whistle events %3 (%4), harmonic events %5 (%6)")
                             .arg(shown[0], shown[1], shown[2], shown[3], shown[4], shown[5]);
    if (text != m_lastShown) {
        m_lastShown = text;
        qCInfo(whistleLog).noquote() << "whistle counts:" << text;
    }
}

void TWhistleForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_timer.start(kWhistleRefreshMs, this);
    Refresh();
}

void TWhistleForm::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

void TWhistleForm::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        Refresh();
    else
        QWidget::timerEvent(event);
}

} // namespace velmar::forms
