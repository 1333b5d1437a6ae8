#pragma once
// The survey database as the main window sees it: opening and closing the
// survey, its settings rows, the recorder rows, the user-form tables, and
// the fill of missing GPS cross references ("Update GPS Cross References").
//
// User-interface thread only.
class QByteArray;
class QString;
class QWidget;

namespace velmar::shell {

class SurveyStoreService {
public:
    virtual ~SurveyStoreService() = default;
    // 0 when the survey at path is open.
    virtual int OpenDb(const QString& path, QWidget* owner) = 0;
    virtual bool IsDbOpen() = 0;
    // Closes and compacts the survey.
    virtual void CloseDb() = 0;
    virtual void LoadSettingsFromDb() = 0;
    virtual void SaveSettingsToDb() = 0;
    // The recorder rows: how many there are, one more for recorder index,
    // and the row of recorder index taken away.
    virtual int CountRecorders() = 0;
    virtual void AddRecorder(int index) = 0;
    virtual void DeleteRecorder(int index) = 0;
    virtual bool UserFormTableExists(const QString& table) = 0;
    // Every event and user-form table whose rows lack a GPS cross
    // reference is offered the fill.
    virtual void CheckGpsReferences(QWidget* parent) = 0;
};

// The default: no survey. It answers that the open succeeded and that no
// survey is open, has no rows and does nothing.
SurveyStoreService& NoSurveyStore();

} // namespace velmar::shell
