// Puts a real dialog window in the middle of the window it belongs to.
#pragma once

#include <windows.h>

namespace pel {

// Moves dialog so that its middle lies on owner's middle (outer sizes, screen
// position, not clipped to the screen); does nothing without an owner.
void CenterOver(HWND dialog, HWND owner);

}  // namespace pel
