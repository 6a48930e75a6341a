// The design's pixels at a display's scaling: the one rule every window of the wizards is sized by.
#include "gui/scale.h"

namespace pel::gui {

int UsableDpi(int reported) { return reported <= 0 || reported > kMaxDpi ? kDesignDpi : reported; }

int MulDivRound(int a, int b, int c) {
  if (c == 0) return 0;
  if (c < 0) {
    a = -a;
    c = -c;
  }
  long long p = static_cast<long long>(a) * b;
  // Halves go away from zero: the platform's rounding, not C++'s truncation.
  long long q = p >= 0 ? (p + c / 2) / c : (p - c / 2) / c;
  return static_cast<int>(q);
}

int Scale(int value, int dpi) { return MulDivRound(value, UsableDpi(dpi), kDesignDpi); }

int PointsToPixels(int points, int dpi) { return MulDivRound(points, UsableDpi(dpi), 72); }

}  // namespace pel::gui
