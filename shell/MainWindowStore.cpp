#include "shell/MainWindowStore.h"

#include "forms/UserFormDb.h"
#include "shell/ShellLog.h"
#include "shell/ShowDataWiring.h"
#include "shell/SurveyStoreService.h"
#include "sound/RecorderTable.h"
#include "store/DbConnection.h"
#include "store/ProgramSettingsDb.h"

#include <QWidget>

namespace velmar::shell {

namespace {

class SurveyDatabase final : public SurveyStoreService {
public:
    int OpenDb(const QString& path, QWidget* owner) override { return store::OpenDB(owner, path); }
    bool IsDbOpen() override { return store::IsDbOpen(); }
    void CloseDb() override { store::CloseDB(); }
    void LoadSettingsFromDb() override { store::LoadSettingsFromDb(); }
    void SaveSettingsToDb() override { store::SaveSettingsToDb(); }
    int CountRecorders() override { return sound::DbCountRecorders(); }
    void AddRecorder(int) override { sound::DbAddRecorder(); }
    // Recorder index has the row of RecorderId index: without it, the next
    // start would count the recorder back in.
    void DeleteRecorder(int index) override
    {
        sound::RECORDINGINFO row;
        row.RecorderId = index;
        if (!sound::DbDeleteRecorder(row))
            qCWarning(shellLog) << "no row of recorder" << index << "to delete";
    }
    bool UserFormTableExists(const QString& table) override { return forms::UserFormDbTableExists(table); }
    void CheckGpsReferences(QWidget* parent) override { shell::CheckGpsReferences(parent); }
};

} // namespace

SurveyStoreService& BindSurveyDatabase()
{
    static SurveyDatabase database;
    return database;
}

} // namespace velmar::shell
