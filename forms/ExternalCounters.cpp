#include "forms/ExternalCounters.h"

#include "forms/AutoFillSources.h"
#include "forms/ControlKeywords.h"
#include "forms/UserFormInfo.h"

#include "store/DbConnection.h"
#include "store/DbMessages.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSet>
#include <QTimer>

namespace velmar::forms {

namespace {

Q_LOGGING_CATEGORY(counterLog, "velmar.forms.counters")

CounterDelay g_delay;

void later(int ms, std::function<void()> then)
{
    if (g_delay) {
        g_delay(ms, std::move(then));
        return;
    }
    if (!QCoreApplication::instance()) {
        then();
        return;
    }
    QTimer::singleShot(ms, QCoreApplication::instance(), std::move(then));
}

} // namespace

void setCounterDelay(CounterDelay delay)
{
    g_delay = std::move(delay);
}

bool HasExternalCounter(const CONTROLTYPEINFO& row)
{
    return row.typeCode == CT_COUNTER && !row.IsNull(COL_ADCCHANNEL);
}

bool SendCounterPulses(const QString& formName, const QString& title, int line, int count)
{
    AutoFillSources& board = autoFillSources();
    const bool bound = board.boardLibraryBound();
    if (bound && board.requestDigitalOutput(line, count))
        return true;
    // Each counter is reported once for each of the two reasons.
    static QSet<QString> reported;
    const QString counter = formName + QLatin1Char('/') + title;
    const QString reason = (bound ? QStringLiteral("unsent ") : QStringLiteral("unbound ")) + counter;
    const bool first = !reported.contains(reason);
    reported.insert(reason);
    if (!bound) {
        if (first)
            qCInfo(counterLog) << "counter" << counter << "sends no pulses: no measurement-board library is bound";
        return false;
    }
    qCWarning(counterLog) << count << "pulse(s) of counter" << counter << "on output" << line
                          << "not sent: no board output in this run";
    if (first)
        store::DbMessage(store::DbOwnerWindow(),
                         QStringLiteral("The counter %1 of the form %2 cannot send its pulses on output %3: no "
                                        "measurement board output is available, so the external counter does not "
                                        "follow the form.")
                             .arg(title, formName)
                             .arg(line),
                         QStringLiteral("Digital Output"), store::DbIcon::Exclamation);
    return false;
}

void StartExternalCounter(const QString& formName, const CONTROLTYPEINFO& row)
{
    if (!HasExternalCounter(row))
        return;
    const int line = row.AdcChannel;
    const int count = row.counterValue;
    if (!SendCounterPulses(formName, row.Title, line, 1))
        return;
    // The value is taken now: the count sent is what the form showed when
    // the counter was reset, even if a store moves it on meanwhile.
    later(kCounterResetSettleMs, [formName, title = row.Title, line, count] {
        if (count > 0)
            SendCounterPulses(formName, title, line + 1, count);
    });
}

void StartFormCounters(const TUserFormInfo& form)
{
    for (const auto& row : form.Rows())
        StartExternalCounter(form.FormName, *row);
}

void StartUserFormCounters()
{
    for (const TUserFormInfo* form : UserFormList())
        StartFormCounters(*form);
}

} // namespace velmar::forms
