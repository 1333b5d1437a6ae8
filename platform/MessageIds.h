#pragma once
// Every private message of the suite's windows and threads, in one place and
// with one name per number (the design's WM_USER + n numbering is kept, so
// handlers and logs read as before). Carried as WindowMessageEvent
// (platform/WindowMessage.h). A number may be used for one message only: the
// check at the end refuses a second name.
//
// Messages other programs see travel on the session bus under registered
// names (platform/MessageBus.h), not here.
#include <algorithm>
#include <array>

namespace velmar::platform {

inline constexpr unsigned WmUser = 1024;

// Windows messages the main window answers.
inline constexpr unsigned MsgCommand = 0x0111;      // WM_COMMAND: wParam the command id
inline constexpr unsigned MsgDeviceChange = 0x0219; // WM_DEVICECHANGE

// To the application object: initial show of the main frame; lParam the
// wanted client height in altering-settings mode.
inline constexpr unsigned MsgInitialShow = WmUser + 1; // 1025
// A status button's right click, to its parent: the status pop-up menu.
inline constexpr unsigned MsgStatusPopup = 1027;       // WM_USER+3
inline constexpr unsigned MsgDdeEvent = 1028;          // WM_USER+4
inline constexpr unsigned MsgMapOptionsChanged = 1029; // WM_USER+5, to the map
inline constexpr unsigned MsgBringToFront = 1030;      // WM_USER+6
// To the main window: page up / page down pressed (wParam the key, lParam 0).
inline constexpr unsigned MsgTabKey = WmUser + 13; // 1037
inline constexpr unsigned MsgThingsHeard = 1040;   // WM_USER+16
inline constexpr unsigned MsgSelectTab = 1051;     // WM_USER+27
// Load the shown data again (show-data mode).
inline constexpr unsigned MsgShowData = 1056; // WM_USER+32
// To the main window: left / right arrow (wParam the key, lParam the key
// message's repeat count); a non-zero answer means the key was used.
inline constexpr unsigned MsgArrowKey = WmUser + 33;  // 1057
inline constexpr unsigned MsgWeatherWindow = 1058;    // WM_USER+34
inline constexpr unsigned MsgWeatherStart = 1060;     // WM_USER+36, to the weather window
inline constexpr unsigned MsgWeatherStation = 1061;   // WM_USER+37
inline constexpr unsigned MsgWeatherStop = 1062;      // WM_USER+38, to the weather window
inline constexpr unsigned MsgMapFileLoaded = 1063;    // WM_USER+39
inline constexpr unsigned MsgMapAnimation = 1064;     // WM_USER+40, to the map
inline constexpr unsigned MsgCommentTime = 1065;      // WM_USER+41, to the comment window
inline constexpr unsigned MsgDeckTimeText = 1066;     // WM_USER+42
inline constexpr unsigned MsgDeckDetectorText = 1067; // WM_USER+43
inline constexpr unsigned MsgAfterStart = 1068;       // WM_USER+44
inline constexpr unsigned MsgRecordingState = 1069;   // WM_USER+45
inline constexpr unsigned MsgEffortReload = 1070;     // WM_USER+46
inline constexpr unsigned MsgMapItem = 1072;          // WM_USER+48
inline constexpr unsigned MsgAutoStart = 1077;        // WM_USER+53
inline constexpr unsigned MsgDeckPlaying = 1129;      // WM_USER+105
// To the main window: detector status relayed by the pre-filter.
inline constexpr unsigned MsgDetectorStatus = WmUser + 201; // 1225

} // namespace velmar::platform

namespace velmar::platform {

// Messages a form window takes.
inline constexpr unsigned kShowHintMessage = 1032;      // WM_USER+8
inline constexpr unsigned kAutoFillMessage = 1039;      // WM_USER+15
inline constexpr unsigned kClearControlsMessage = 1052; // WM_USER+28

// From the external-button thread to the panels: wParam the input bit,
// lParam the new level.
inline constexpr unsigned kMsgExternalButton = 1073; // WM_USER+49
// To the external-button thread and the counter thread.
inline constexpr unsigned kMsgSetOutputBit = 1076;  // WM_USER+52, to the external-button thread
inline constexpr unsigned kMsgPulsesHighLow = 1078; // WM_USER+54, to the counter thread
inline constexpr unsigned kMsgPulsesLowHigh = 1080; // WM_USER+56
inline constexpr unsigned kMsgSetBitHigh = 1081;    // WM_USER+57
inline constexpr unsigned kMsgSetBitLow = 1082;     // WM_USER+58

} // namespace velmar::platform

namespace velmar::platform::detail {

inline constexpr std::array kMessageIds{
    platform::MsgCommand,
    platform::MsgDeviceChange,
    platform::MsgInitialShow,
    platform::MsgStatusPopup,
    platform::MsgDdeEvent,
    platform::MsgMapOptionsChanged,
    platform::MsgBringToFront,
    platform::MsgTabKey,
    platform::MsgThingsHeard,
    platform::MsgSelectTab,
    platform::MsgShowData,
    platform::MsgArrowKey,
    platform::MsgWeatherWindow,
    platform::MsgWeatherStart,
    platform::MsgWeatherStation,
    platform::MsgWeatherStop,
    platform::MsgMapFileLoaded,
    platform::MsgMapAnimation,
    platform::MsgCommentTime,
    platform::MsgDeckTimeText,
    platform::MsgDeckDetectorText,
    platform::MsgAfterStart,
    platform::MsgRecordingState,
    platform::MsgEffortReload,
    platform::MsgMapItem,
    platform::MsgAutoStart,
    platform::MsgDeckPlaying,
    platform::MsgDetectorStatus,
    platform::kMsgExternalButton,
    platform::kMsgSetOutputBit,
    platform::kMsgPulsesHighLow,
    platform::kMsgPulsesLowHigh,
    platform::kMsgSetBitHigh,
    platform::kMsgSetBitLow,
    platform::kShowHintMessage,
    platform::kAutoFillMessage,
    platform::kClearControlsMessage,
};

constexpr bool allDistinct()
{
    auto ids = kMessageIds;
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) == ids.end();
}
static_assert(allDistinct(), "two names for one message number");

} // namespace velmar::platform::detail
