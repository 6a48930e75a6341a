// The design's pixels at a display's scaling: the one rule every window of the wizards is sized by.
#pragma once

namespace pel::gui {

// The scaling the design was drawn at: its pixel values are what a window
// shows at 96 dots per inch.
inline constexpr int kDesignDpi = 96;
// The largest scaling a display reports that is taken at its word (500 %).
inline constexpr int kMaxDpi = 480;

// The DPI to scale by: what the system reports, except that 0 or anything
// beyond kMaxDpi (a call that failed, a value read wrongly) is taken as
// kDesignDpi, so a broken report gives the design's own sizes.
int UsableDpi(int reported);

// a * b / c rounded to the nearest whole number, halves away from zero,
// exactly as the platform's MulDiv rounds; 0 when c is 0.
int MulDivRound(int a, int b, int c);

// A design value (a place, a size, a font height in pixels) at dpi: value *
// dpi / 96, rounded as MulDivRound rounds, after dpi went through UsableDpi.
// At 96 every value is the design's own.
int Scale(int value, int dpi);

// The height in pixels of a font given in points at dpi (points * dpi / 72,
// rounded the same way), as the dialog manager sizes a template's font.
int PointsToPixels(int points, int dpi);

}  // namespace pel::gui
