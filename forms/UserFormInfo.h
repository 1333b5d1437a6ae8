#pragma once
// TUserFormInfo: everything the program knows about one user form, read
// from its definition table "UDF_" + form name at start: the definition rows
// (CONTROLTYPEINFO), the options the form-wide keyword rows set, the look-up
// lists of LOOKUP rows, and the data table the form stores into (made or
// completed at construction).
//
// Also which tables are forms (IsUserFormTable, UserFormShownInMode) and the
// few write-backs of definition rows (Set Default, counter values, the form's
// FONT and FORMCOLOUR rows): each is a keyed UPDATE of the row with the same
// Order, or an INSERT when there is none, and a refused write is reported.
//
// Widgets, menus and the hot-key service stay outside: the windows read and
// set the public fields, and hot keys go through the HotKeyRegistrar that the
// main program installs.
//
// User-interface thread only. Every object joins the program-wide list
// (UserFormList) when made and leaves it when destroyed; whoever makes a form
// owns it.
#include "forms/ControlTypeInfo.h"
#include "settings/LogFont.h"
#include "platform/Utilities.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace velmar::forms {

// Form kinds.
inline constexpr int32_t kTabForm = 1;
inline constexpr int32_t kPopupForm = 2;
inline constexpr int32_t kSubTabForm = 3;

// The caption of the messages about a definition table or look-up query.
inline constexpr const char* kDefinitionErrorCaption = "Error in Form Definition Table";
// The name of the GPS data set every form refers to unless GPSDATASET says otherwise.
inline constexpr const char* kMainGpsDataSet = "GpsData";
// The system's 3D-face colour, the default background of form windows.
inline constexpr int32_t kDefaultFormBackground = platform::MakeColour(240, 240, 240);

// Registers the Ctrl hot keys of forms with the main program's hot-key
// service. Without one installed, every registration fails.
class HotKeyRegistrar {
public:
    virtual ~HotKeyRegistrar() = default;
    // Ctrl + the key of the virtual-key code `code`, reported under `id`.
    // False when the key cannot be had (another form or panel took it).
    virtual bool registerHotKey(int id, int code) = 0;
    virtual void unregisterHotKey(int id) = 0;
};
void setHotKeyRegistrar(HotKeyRegistrar* registrar);
HotKeyRegistrar* hotKeyRegistrar();

// Vertical pixels per inch used to turn a FONT row's point size into a font
// height and back (the screen's; 96 until the main program sets it).
void setFontResolution(int pixelsPerInch);
int fontResolution();

// The data-table check's progress window is told which table is checked.
void setCheckTableProgress(bool shown);

class TUserFormInfo;
struct USERPLOTTHING;

// One change of the effort line along the track: from the fix with this
// GPS index on, the effort form's colour and state (0 no effort, 3 effort,
// or a look-up item's index).
struct EffortSegment {
    int32_t gpsIndex = 0;
    int32_t colour = 0;
    int32_t state = 0;
    bool operator==(const EffortSegment&) const = default;
};
// Every form description in the order the definition tables were found.
const std::vector<TUserFormInfo*>& UserFormList();

// Not a reserved name ("Dummy", "Lookup", "Template", "ThingsHeard",
// "UDF_ThingsHeard", any case) and beginning with "UDF_" in any case.
bool IsUserFormTable(const QString& tableName);
// Whether the form is loaded in the current run mode: false without a
// database; otherwise true unless the table holds the exclusion keyword of
// the mode (NOTONLINE, NOTSHOWDATA, NOTOFFLINE).
bool UserFormShownInMode(const QString& tableName);
// The exclusion keyword of a run mode, empty for a mode that shows every form.
QString ExclusionKeywordOfMode(quint32 runMode);

class TUserFormInfo {
public:
    // Reads the definition table and makes or completes the data table; the
    // tab index is -1 when the form list makes the form.
    TUserFormInfo(const QString& definitionTable, int tabIndex);
    ~TUserFormInfo();
    TUserFormInfo(const TUserFormInfo&) = delete;
    TUserFormInfo& operator=(const TUserFormInfo&) = delete;

    // The definition rows in "Order" order. Pointers stay valid for the life
    // of the form.
    const std::vector<std::unique_ptr<CONTROLTYPEINFO>>& Rows() const { return m_rows; }
    // The rows that have a data column, in definition order.
    std::vector<CONTROLTYPEINFO*> ValueRows() const;

    void ReadDefinition();
    void ApplyFormKeyword(CONTROLTYPEINFO& row);
    void LoadLookupList(CONTROLTYPEINFO& row);
    // Keyed UPDATE of the row with the same Order, else INSERT. False (and
    // reported) when the database refused it; the row stays as it is in memory.
    bool WriteDefinitionRow(CONTROLTYPEINFO& row);
    bool DbCheckDataTable();

    // The FONT row's face, size and weight become the form font.
    void SetFontFromRow(const CONTROLTYPEINFO& row);
    // The operator's choice of font: applied and written back as the FONT row.
    bool StoreFont(const store::LogFont& font);
    // The operator's choice of background colour, written back as FORMCOLOUR.
    bool StoreFormColour(int32_t colour);
    // The twelve custom colours the colour dialog offers: white, then each a
    // step of 16 darker in red, green and blue.
    static std::array<int32_t, 12> CustomColours();

    CONTROLTYPEINFO* FindRowByType(int typeCode) const;
    // Appends an empty row (Order 0) and returns it.
    CONTROLTYPEINFO* NewDefinitionRow();
    // The lowest Order from 1 upwards that no row of the form uses.
    int FreeOrderNumber() const;
    // A value row by its data column name (any case), or null.
    CONTROLTYPEINFO* FindValueRow(const QString& dbTitle) const;
    // A row by Title (exact), or null.
    CONTROLTYPEINFO* FindRowByTitle(const QString& title) const;

    // The start value of every COUNTER row (online and offline logging).
    void InitCounters();

    int TabIndex = -1;
    // Set when the definition names one of the survey's fixed tables as its
    // data table: the form was told about and must not be loaded.
    bool Refused = false;
    QString DefinitionTable;
    QString FormName;
    QString DataTable;
    QString SubTabGroup;
    QString SubTabPrefix;
    int32_t FormKind = kTabForm;
    uint8_t OpenInBackground = 0;
    float FixedRange = 0;
    float FixedBearing = 0;
    int32_t RangeUnits = 0;
    int32_t RangeSource = 1;
    int32_t BearingReference = 1;
    int32_t HeadingReference = 0;
    int32_t HeadingLength = 0;
    int32_t HeadingWidth = 0;
    int32_t HeadingColour = -1;
    uint8_t HeadingPlot = 0;
    int32_t HeadingUnits = 4;
    QString RangeControl;
    QString BearingControl;
    QString HeadingControl;
    QString InterpolationControl;
    platform::SymbolDesc Symbol{3, platform::SymbolCircle, 1, 1};
    uint8_t InterpolateGps = 0;
    float HydrophoneLength = 0;
    uint8_t Hidden = 0;
    uint8_t StoreWithGps = 0;
    uint8_t StoreOnTimer = 0;
    int32_t TimerInterval = 0;
    int32_t ReminderInterval = 0;
    uint8_t DdeEnabled = 0;
    // GPSDATASET: the data-set table the rows' GpsIndex refers to.
    QString GpsDataSetTable = QString::fromLatin1(kMainGpsDataSet);
    int32_t GpsDataSet = 0;
    int32_t GpsTimeColumn = 0;
    uint8_t NoCancel = 0;
    uint8_t NoClear = 0;
    int32_t FirstPlotId = 0;
    int32_t LastPlotId = 0;
    int32_t PlotAllId = 0;
    int32_t PlotColour = 0;
    uint8_t HasPlotAll = 0;
    int32_t BackgroundColour = kDefaultFormBackground;
    uint8_t PlotSelected = 0;
    store::LogFont Font;
    int32_t HotKeyId = 0;
    QString HotKeyText;
    QString HotKeyTarget;
    uint8_t ForceGps = 0;
    QString SubTabLabelTitle;
    int32_t FixedTabNumber = -1;
    uint8_t AutoRecord = 0;
    QString AutoRecordTrigger;
    int32_t AutoRecordLength = 0;
    // Called when the form font changes (the open windows lay out again).
    std::vector<std::function<void()>> FontListeners;
    // The form's records as map items, oldest first (UserPlotThing.h).
    std::vector<std::unique_ptr<USERPLOTTHING>> PlotThings;
    // The effort line of the effort form (UserPlotThing.h).
    std::vector<EffortSegment> EffortSegments;

private:
    void ApplyHotKey(const CONTROLTYPEINFO& row);
    bool WriteFormRow(int typeCode, const QString& keyword, const std::function<void(CONTROLTYPEINFO&)>& fill);

    std::vector<std::unique_ptr<CONTROLTYPEINFO>> m_rows;
    // The definition table has rowids (not a WITHOUT ROWID table).
    bool m_rowIds = false;
};

} // namespace velmar::forms
