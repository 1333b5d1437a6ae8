#include "nmeaserver/SetTime.h"

#include "nmea/NmeaChecksum.h"
#include "nmeaserver/RmcFix.h"
#include "platform/DateTimeText.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>
#include <cstdlib>

namespace velmar::nmeaserver {

namespace {
constexpr int CenturyPivot = 90; // two-digit years below it are 20xx

QLineEdit* readOnlyEdit(const QString& name)
{
    auto* e = new QLineEdit;
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

QGroupBox* group(const QString& title, QWidget* child)
{
    auto* g = new QGroupBox(title);
    auto* l = new QVBoxLayout(g);
    l->addWidget(child);
    return g;
}
} // namespace

TSetTime::TSetTime(QWidget* parent, Clock clock, Steady steady, ClockSetter setter, Confirmer confirmer)
    : QDialog(parent), m_clock(std::move(clock)), m_steady(std::move(steady)), m_setter(std::move(setter)),
      m_confirmer(std::move(confirmer))
{
    setObjectName(QStringLiteral("SetTime"));
    setWindowTitle(QStringLiteral("SetTime"));
    setModal(false);
    if (!m_confirmer) {
        m_confirmer = [this] {
            return QMessageBox::warning(this, QStringLiteral("Warning"),
                                        QStringLiteral("The Computer and GPS clocks differ by over a week, do "
                                                       "you really want to update the PC clock ?"),
                                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                == QMessageBox::Yes;
        };
    }

    pcTime = readOnlyEdit(QStringLiteral("pcTime"));
    gpsTime = readOnlyEdit(QStringLiteral("gpsTime"));
    errorText = new QLabel;
    errorText->setObjectName(QStringLiteral("errorText"));
    errorText->setWordWrap(true);
    errorText->hide();
    button_setnow = new QPushButton(QStringLiteral("Set Now"));
    button_setnow->setObjectName(QStringLiteral("button_setnow"));
    button_setnow->setDefault(true);
    button_cancel = new QPushButton(QStringLiteral("Cancel"));
    button_cancel->setObjectName(QStringLiteral("button_cancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button_setnow);
    buttons->addWidget(button_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group(QStringLiteral("Current PC System Time"), pcTime));
    layout->addWidget(group(QStringLiteral("Current GPS Time"), gpsTime));
    layout->addWidget(errorText);
    layout->addLayout(buttons);

    m_pcTimer.setInterval(PCTimerMs);
    m_closeTimer.setInterval(CloseTimerMs);
    connect(&m_pcTimer, &QTimer::timeout, this, &TSetTime::PCTimerTimer);
    connect(&m_closeTimer, &QTimer::timeout, this, &TSetTime::closeTimerTimer);
    connect(button_setnow, &QPushButton::clicked, this, &TSetTime::button_setnowClick);
    connect(button_cancel, &QPushButton::clicked, this, &QDialog::close);
}

void TSetTime::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_closeTimer.stop();
    m_setDone = m_confirmed = m_setRequested = false;
    m_pcTimer.start();
    button_setnow->setEnabled(false);
    button_cancel->setText(QStringLiteral("Cancel"));
    m_errorCount = 0;
    gpsTime->clear();
    errorText->clear();
    errorText->hide();
    PCTimerTimer();
}

void TSetTime::hideEvent(QHideEvent* event)
{
    m_pcTimer.stop();
    QDialog::hideEvent(event);
}

void TSetTime::PCTimerTimer()
{
    pcTime->setText(platform::FormatTimeStamp(m_clock()));
}

void TSetTime::NewRmc(const QByteArray& text, std::chrono::steady_clock::time_point arrived)
{
    // A sentence garbled on the line must never set the clock: one whose
    // checksum fails is passed over, and the next good one is taken.
    if (!nmea::NmeaChecksumOk(text))
        return;
    RmcFix fix = newRmcFix();
    ParseRmc(fix, text);
    const bool timeInRange = fix.Time >= 0 && fix.Time / 10000 < 24 && (fix.Time % 10000) / 100 < 60
                          && fix.Time % 100 < 60;
    if (fix.NoTime || !timeInRange) {
        gpsTime->setText(QStringLiteral("Error"));
        if (++m_errorCount > MaxTimeErrors)
            close();
        return;
    }
    platform::SystemTime t;
    t.wDay = uint16_t(fix.Date / 10000);
    t.wMonth = uint16_t((fix.Date % 10000) / 100);
    const int yy = fix.Date % 100;
    t.wYear = uint16_t(yy + (yy < CenturyPivot ? 2000 : 1900));
    t.wHour = uint16_t(fix.Time / 10000);
    t.wMinute = uint16_t((fix.Time % 10000) / 100);
    t.wSecond = uint16_t(fix.Time % 100);
    t.wMilliseconds = uint16_t(fix.Milliseconds);
    if (fix.LatHemisphere[0] == 0) {
        gpsTime->setText(QStringLiteral("No Satelite"));
        button_setnow->setEnabled(false);
        m_setDone = false;
        return;
    }
    // No date, more digits than ddmmyy (the day would wrap in 16 bits), or
    // digits that make no day of the calendar (31 February).
    const bool sixDigits = fix.Date >= 0 && fix.Date <= 999999;
    const std::chrono::year_month_day day{std::chrono::year(t.wYear), std::chrono::month(t.wMonth),
                                          std::chrono::day(t.wDay)};
    if (!sixDigits || !day.ok()) {
        gpsTime->setText(QStringLiteral("No Date Info"));
        button_setnow->setEnabled(false);
        m_setDone = false;
        return;
    }
    gpsTime->setText(platform::FormatTimeStamp(t));
    m_pcTimer.start();
    if (!m_setDone)
        button_setnow->setEnabled(true);

    if (m_confirmed) {
        m_confirmed = false;
        // The GPS time was right when the sentence arrived; what has passed
        // since (the sentence path, a confirmation box) is added.
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(m_steady() - arrived);
        const QString failure = m_setter(t.toTimePoint() + std::max(elapsed, std::chrono::milliseconds(0)));
        if (!failure.isEmpty()) {
            // Not set: the form says so and stays open, so that nobody takes
            // the computer's clock for GPS time.
            errorText->setText(failure);
            errorText->show();
            m_setRequested = false;
            return;
        }
        errorText->hide();
        button_cancel->setText(QStringLiteral("Close"));
        button_setnow->setEnabled(false);
        m_setDone = true;
        if (m_setRequested)
            m_closeTimer.start();
    }
    if (m_setRequested) {
        m_confirmed = ConfirmClockChange(t);
        if (!m_confirmed)
            m_setRequested = false;
    }
}

bool TSetTime::ConfirmClockChange(const platform::SystemTime& time)
{
    if (m_confirming > 0)
        return false;
    using namespace std::chrono;
    const int64_t difference = std::llabs(duration_cast<seconds>(time.toTimePoint() - m_clock().toTimePoint()).count());
    if (difference <= WarnDifferenceSeconds)
        return true;
    ++m_confirming;
    const bool yes = m_confirmer();
    --m_confirming;
    return yes;
}

void TSetTime::closeTimerTimer()
{
    close();
    m_closeTimer.stop();
    if (m_targetWindow)
        emit clockSetDone();
}

} // namespace velmar::nmeaserver
