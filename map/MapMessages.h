#pragma once
// The one seam through which the map's window-free code talks to the
// operator: message boxes and the modeless progress text of a long load.
//
// The map library links no widgets: without a handler of their own, its
// message boxes go through the data layer's message seam (store/DbMessages.h),
// which the program shows and tests record; the progress text goes to the
// handler the program binds (map/ui/MapUi.h). User-interface thread only.
#include "store/DbMessages.h"

#include <QString>

#include <functional>

namespace velmar::map {

struct MapMessageHandlers {
    // A modal box with an OK button.
    std::function<void(const QString& text, const QString& caption)> message;
    // The modeless progress text; an empty text closes it.
    std::function<void(const QString& text)> progress;
    // The map file was loaded (the main window then checks the track).
    std::function<void()> mapFileLoaded;
};

// Replaces the handlers; returns the ones before, so a test can restore them.
MapMessageHandlers SetMapMessageHandlers(MapMessageHandlers handlers);
const MapMessageHandlers& mapMessageHandlers();

void MapMessage(const QString& text, const QString& caption, store::DbIcon icon = store::DbIcon::None);
void MapProgress(const QString& text);

} // namespace velmar::map
