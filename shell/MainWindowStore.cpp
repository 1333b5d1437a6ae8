#include "shell/MainWindowStore.h"

#include "shell/MainWindowPorts.h"
#include "sound/RecorderTable.h"
#include "store/DbConnection.h"
#include "store/ProgramSettingsDb.h"

namespace velmar::shell {

void BindSurveyDatabase(MainWindowHooks& h)
{
    h.openDB = [](const QString& path, QWidget* owner) { return store::OpenDB(owner, path); };
    h.isDbOpen = [] { return store::IsDbOpen(); };
    h.closeDB = [] { store::CloseDB(); };
    h.loadSettingsFromDb = [] { store::LoadSettingsFromDb(); };
    h.saveSettingsToDb = [] { store::SaveSettingsToDb(); };
    h.dbCountRecorders = [] { return sound::DbCountRecorders(); };
    h.dbAddRecorder = [](int) { sound::DbAddRecorder(); };
}

} // namespace velmar::shell
