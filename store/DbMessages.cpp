#include "DbMessages.h"

Q_LOGGING_CATEGORY(lcStore, "velmar.store")

namespace velmar::store {

namespace {
DbMessageSink* g_sink = nullptr;
}

void setDbMessageSink(DbMessageSink* sink)
{
    g_sink = sink;
}

DbMessageSink* dbMessageSink()
{
    return g_sink;
}

void DbMessage(QObject* owner, const QString& text, const QString& caption, DbIcon icon)
{
    if (g_sink)
        g_sink->showMessage(owner, text, caption, icon);
    else
        qCWarning(lcStore).noquote() << caption << ":" << text;
}

void DbBeep()
{
    if (g_sink)
        g_sink->beep();
}

} // namespace velmar::store
