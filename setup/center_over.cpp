// Where a dialog goes when it is put in the middle of the window it belongs to.
#include "setup/center_over.h"

namespace pel {

WindowBox CenterOver(const WindowBox& dialog, const std::optional<WindowBox>& owner) {
  if (!owner) return dialog;
  WindowBox moved = dialog;
  // Widened so that screen positions far apart cannot overflow the sum.
  long long top = owner->top + (static_cast<long long>(owner->height) - dialog.height) / 2;
  long long left = owner->left + (static_cast<long long>(owner->width) - dialog.width) / 2;
  moved.top = static_cast<int>(top);
  moved.left = static_cast<int>(left);
  return moved;
}

}  // namespace pel
