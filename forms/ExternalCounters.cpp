#include "forms/ExternalCounters.h"

#include "forms/AutoFillSources.h"
#include "forms/ControlKeywords.h"
#include "forms/UserFormInfo.h"

#include <QCoreApplication>
#include <QTimer>

namespace velmar::forms {

namespace {

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

void StartExternalCounter(const CONTROLTYPEINFO& row)
{
    if (!HasExternalCounter(row) || !autoFillSources().boardLibraryBound())
        return;
    const int line = row.AdcChannel;
    const int count = row.counterValue;
    autoFillSources().requestDigitalOutput(line, 1);
    // The value is taken now: the count sent is what the form showed when
    // the counter was reset, even if a store moves it on meanwhile.
    later(kCounterResetSettleMs, [line, count] {
        if (count > 0 && autoFillSources().boardLibraryBound())
            autoFillSources().requestDigitalOutput(line + 1, count);
    });
}

void StartFormCounters(const TUserFormInfo& form)
{
    for (const auto& row : form.Rows())
        StartExternalCounter(*row);
}

void StartUserFormCounters()
{
    for (const TUserFormInfo* form : UserFormList())
        StartFormCounters(*form);
}

} // namespace velmar::forms
