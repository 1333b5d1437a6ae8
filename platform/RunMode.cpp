#include "platform/RunMode.h"

namespace velmar::platform {

quint32 RunMode = RunModeOnline;

quint32 RunModeFromArguments(const QStringList& arguments)
{
    struct Option {
        const char* text;
        quint32 mode;
    };
    static constexpr Option options[] = {
        {"-s", RunModeShowData},
        {"-p", RunModeOffline},
        {"-t", RunModeAlterSettings},
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        // Only the first two characters count: "-show" selects show data too.
        // The options are ASCII, so a plain case-insensitive comparison gives
        // the same answer in every locale.
        const QString head = arguments[i].left(2);
        for (const Option& o : options)
            if (head.compare(QLatin1String(o.text), Qt::CaseInsensitive) == 0)
                return o.mode;
    }
    return RunModeOnline;
}

} // namespace velmar::platform
