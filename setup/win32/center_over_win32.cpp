// Puts a real dialog window in the middle of the window it belongs to.
#include "setup/win32/center_over_win32.h"

#include "setup/center_over.h"

namespace pel {
namespace {

WindowBox BoxOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

}  // namespace

void CenterOver(HWND dialog, HWND owner) {
  RECT d, o;
  if (!owner || !GetWindowRect(dialog, &d) || !GetWindowRect(owner, &o)) return;
  WindowBox placed = CenterOver(BoxOf(d), BoxOf(o));
  SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace pel
