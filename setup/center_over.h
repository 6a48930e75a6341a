// Where a dialog goes when it is put in the middle of the window it belongs to.
#pragma once

#include <optional>

namespace pel {

// A window's outer rectangle in screen pixels (frame and caption included).
struct WindowBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  friend bool operator==(const WindowBox&, const WindowBox&) = default;
};

// The dialog's box moved so that its middle lies on the owner's middle; its size
// stays. The halves are taken with C++'s division, which rounds towards zero also
// when the dialog is larger than its owner (a difference of -3 moves it by -1).
// The result is not clipped to the screen. Without an owner the box is unchanged.
WindowBox CenterOver(const WindowBox& dialog, const std::optional<WindowBox>& owner);

}  // namespace pel
