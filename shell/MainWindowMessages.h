#pragma once
// Private messages of Velmar's main window and application object (WM_USER
// numbering kept), carried as WindowMessageEvent.
//
// Key codes in wParam, and the hot-key ids of the panels and forms, are the
// design's virtual-key codes (VirtualKeyOf), so handlers and stored hot keys
// keep their numbers.
namespace velmar::shell {

// Virtual-key codes beyond the paging keys of MainLayout.h.
inline constexpr int VkLeft = 0x25;
inline constexpr int VkRight = 0x27;
inline constexpr int VkF1 = 0x70;

// The virtual-key code of a Qt key: letters and digits as their upper-case
// characters, F1 to F24, the paging and arrow keys; 0 for any other key.
int VirtualKeyOf(int qtKey);

inline constexpr unsigned WmUser = 1024;

// To the application object: initial show of the main frame; lParam the
// wanted client height in altering-settings mode.
inline constexpr unsigned MsgInitialShow = WmUser + 1;            // 1025
// To the main window: page up / page down pressed (wParam the key, lParam 0).
inline constexpr unsigned MsgTabKey = WmUser + 13;                // 1037
// To the main window: left / right arrow (wParam the key, lParam the key
// message's repeat count); a non-zero answer means the key was used.
inline constexpr unsigned MsgArrowKey = WmUser + 33;              // 1057
// To the main window: detector status relayed by the pre-filter.
inline constexpr unsigned MsgDetectorStatus = WmUser + 201;       // 1225

} // namespace velmar::shell
