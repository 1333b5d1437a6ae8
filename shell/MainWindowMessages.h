#pragma once
// Private messages of Velmar's main window and application object (WM_USER
// numbering kept), carried as WindowMessageEvent.
//
// Key codes in wParam, and the hot-key ids of the panels and forms, are the
// design's virtual-key codes (VirtualKeyOf), so handlers and stored hot keys
// keep their numbers.
#include "platform/MessageIds.h"

namespace velmar::shell {

// Virtual-key codes beyond the paging keys of MainLayout.h.
inline constexpr int VkLeft = 0x25;
inline constexpr int VkRight = 0x27;
inline constexpr int VkF1 = 0x70;

// The virtual-key code of a Qt key: letters and digits as their upper-case
// characters, F1 to F24, the paging and arrow keys; 0 for any other key.
int VirtualKeyOf(int qtKey);

} // namespace velmar::shell
