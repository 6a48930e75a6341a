// Small Win32 helpers the wizards' windows share: placing and fonts at the display's scaling, pages, rich text.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "base/text.h"

namespace pel {

// A control's design-time place in pixels at 96 DPI. page kOnWindow: on the
// window itself; otherwise relative to its page (the page's own window).
// A width or height of 0 is measured from the control's text (labels, boxes).
inline constexpr int kOnWindow = -1;
struct ControlPlace {
  int id;
  int page;
  int x, y, w, h;
};

// A font the designer gave a control: face and character height in pixels at 96 DPI.
struct ControlFont {
  int id;
  const char* face;
  int pixelHeight;
};

// A window's design at 96 DPI: its controls' places, its client size, its fonts.
struct DialogDesign {
  std::span<const ControlPlace> places;
  SIZE client;
  std::span<const ControlFont> fonts;
};

// The window's DPI: its display's where the system scales per display, the
// system's otherwise; 0 or beyond 480 taken as 96.
int WindowDpi(HWND hwnd);
// Leaves rescaling on a change of display to the window itself, where the
// system would otherwise move and resize a dialog's controls on its own.
void DisableSystemDialogScaling(HWND dlg);

// Gives the window the design's client size at dpi; centred on the screen when centre.
void SizeClient(HWND dlg, SIZE client, int dpi, bool centre);
// Puts the controls of page (kOnWindow: the window's own) that parent holds at
// their design places at dpi; labels keep the size they were given.
void PlaceControls(HWND parent, std::span<const ControlPlace> places, int page, int dpi);
const ControlPlace* FindPlace(std::span<const ControlPlace> places, int id);

// Fonts a window gives its controls at one DPI, released with the window: the
// templates' own (MS Sans Serif 8 pt) for every control, the designer's for
// those that have one. A font that cannot be made at its size falls back to
// the dialog's font, and that to the font the dialog manager gave the window:
// no control is left without one.
class DialogFonts {
 public:
  DialogFonts() = default;
  ~DialogFonts();
  DialogFonts(const DialogFonts&) = delete;
  DialogFonts& operator=(const DialogFonts&) = delete;
  // Makes the fonts at dpi and gives them to every control in dlg, pages
  // included; those of an earlier DPI are released once no control has them.
  void Make(HWND dlg, int dpi, std::span<const ControlFont> fonts);
  // Gives every control in parent its font (a page made later).
  void Apply(HWND parent) const;
  HFONT For(int id) const;

 private:
  void Release();
  struct Given {
    int id;
    HFONT font;
  };
  static constexpr int kMaxFonts = 16;  // the most any design gives
  HFONT dialog_ = nullptr;  // ours, or the dialog manager's when ours failed
  bool ownDialog_ = false;
  Given given_[kMaxFonts] = {};  // only fonts of our making
  int count_ = 0;
};

// Sizes each control of page in parent placed with a zero width or height to
// its text, measured with its own font; a check box adds its box.
void AutoSizeLabels(HWND parent, std::span<const ControlPlace> places, int page, int dpi,
                    const DialogFonts& fonts);
// A window without pages laid out at dpi: its fonts made and given, its
// client size (centred on the screen), its controls placed, its labels sized.
void LayOutDialog(HWND dlg, const DialogDesign& design, int dpi, DialogFonts& fonts);
// Answers WM_DPICHANGED for such a window: it takes the rectangle the system
// suggests and lays its controls out again at the new DPI, which it returns
// (after UsableDpi). A message without a rectangle changes nothing: 0.
int TakeDpiChange(HWND dlg, const DialogDesign& design, DialogFonts& fonts, WPARAM wp, LPARAM lp);
// Window's big and small icons loaded at the sizes the display asks for.
void SetWindowIcons(HWND hwnd, HINSTANCE instance, int iconId, int dpi);

Text ControlText(HWND control);
void SetControlText(HWND control, std::string_view text);
// Rich text: appends one line (a paragraph) at the end; sets the colour of all text.
void AppendRichLine(HWND richEdit, std::string_view line);
void SetRichTextColor(HWND richEdit, COLORREF color);
// Answers a WM_CTLCOLOR* message: the control's text colour and a background
// of the system colour background (a COLOR_* index).
INT_PTR ColorControl(WPARAM dc, COLORREF text, int background);
// Appends a separator and a text item with the given command to the system menu.
void AppendAboutItem(HWND dlg, int command, const char* text);

}  // namespace pel
