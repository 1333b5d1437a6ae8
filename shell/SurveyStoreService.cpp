#include "shell/SurveyStoreService.h"

#include "shell/ShellLog.h"

#include <QString>

namespace velmar::shell {

namespace {

class NoSurveyStoreService final : public SurveyStoreService {
public:
    int OpenDb(const QString& path, QWidget*) override
    {
        qCInfo(lcServices).noquote() << "store: survey" << path << "not opened (no survey store service)";
        return 0;
    }
    bool IsDbOpen() override { return false; }
    void CloseDb() override { qCInfo(lcServices) << "store: no survey to close (no survey store service)"; }
    void LoadSettingsFromDb() override
    {
        qCInfo(lcServices) << "store: no settings rows loaded (no survey store service)";
    }
    void SaveSettingsToDb() override
    {
        qCInfo(lcServices) << "store: no settings rows saved (no survey store service)";
    }
    int CountRecorders() override { return 0; }
    void AddRecorder(int index) override
    {
        qCInfo(lcServices) << "store: no row added for recorder" << index << "(no survey store service)";
    }
    void DeleteRecorder(int index) override
    {
        qCInfo(lcServices) << "store: no row deleted for recorder" << index << "(no survey store service)";
    }
    bool UserFormTableExists(const QString&) override { return false; }
    void CheckGpsReferences(QWidget*) override
    {
        qCInfo(lcServices) << "store: no GPS cross references checked (no survey store service)";
    }
};

} // namespace

SurveyStoreService& NoSurveyStore()
{
    static NoSurveyStoreService store;
    return store;
}

} // namespace velmar::shell
