#include "map/MapMessages.h"

namespace velmar::map {

namespace {

MapMessageHandlers& handlers()
{
    static MapMessageHandlers h;
    return h;
}

} // namespace

MapMessageHandlers SetMapMessageHandlers(MapMessageHandlers next)
{
    MapMessageHandlers before = std::move(handlers());
    handlers() = std::move(next);
    return before;
}

const MapMessageHandlers& mapMessageHandlers()
{
    return handlers();
}

void MapMessage(const QString& text, const QString& caption, store::DbIcon icon)
{
    if (handlers().message)
        handlers().message(text, caption);
    else
        store::DbMessage(nullptr, text, caption, icon);
}

void MapProgress(const QString& text)
{
    if (handlers().progress)
        handlers().progress(text);
}

} // namespace velmar::map
