#pragma once
// Command ids of Velmar's menus, frame and application. A menu action
// carries its id in QAction::data().
namespace velmar::shell {

// Menu bars, by run mode.
inline constexpr int MenuOnlineOffline = 100;
inline constexpr int MenuShowData = 101;
inline constexpr int MenuAlterSettings = 102;

namespace Command {
// Handled by the application object (Night and Day: NightDay.h).
inline constexpr int HelpContents = 20060;
inline constexpr int HelpDefaultTopic = 20061;
inline constexpr int About = 20062;
inline constexpr int OnlineHelpPage = 20063;
inline constexpr int WebPage = 20065;
inline constexpr int Exit = 24310;

// Handled by the main window.
inline constexpr int Font = 30000;
inline constexpr int ProgrammeControl = 30001;
inline constexpr int GpsControl = 30002;
inline constexpr int DataControl = 30003;
inline constexpr int IoSelections = 30004;
inline constexpr int ErrorChecking = 30005;
inline constexpr int FlashWarnings = 30006;
inline constexpr int DatabaseFile = 30010;
inline constexpr int OpenDatabase = 30012;
inline constexpr int PrintMap = 30014;
inline constexpr int PrinterSetup = 30015;
inline constexpr int UpdateGpsReferences = 30017;
inline constexpr int ExportFormData = 30018;
inline constexpr int CopyTableData = 30019;
inline constexpr int DisplayOptions = 30020;
inline constexpr int MenuStyle = 30021;
inline constexpr int ZoomStepSize = 30022;
inline constexpr int NavigationWarning = 30034;
inline constexpr int ShowTimes = 31900;
inline constexpr int RescanDatabase = 31901;
inline constexpr int Animate = 31904;
inline constexpr int StopAnimation = 31905;
inline constexpr int Statistics = 31907;
inline constexpr int NewStaticPointsTable = 31940;
inline constexpr int NewUserForm = 31941;
inline constexpr int NewStaticLinesTable = 31942;
inline constexpr int NewButtonsForm = 31943;
} // namespace Command

} // namespace velmar::shell
