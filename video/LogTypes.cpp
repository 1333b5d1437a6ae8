#include "LogTypes.h"

namespace velmar::video {

QString severityText(int severity)
{
    switch (severity) {
    case sevTrace: return {};
    case sevInfo: return QStringLiteral("INFO");
    case sevWarning: return QStringLiteral("WARNING");
    default: return QStringLiteral("ERROR");
    }
}

} // namespace velmar::video
