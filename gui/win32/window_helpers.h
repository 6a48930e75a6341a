// Small Win32 helpers the wizards' dialogs share: exact placement, pages, fonts, rich text.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace pel {

// A control's design-time place in pixels. page < 0: on the window itself;
// otherwise relative to the page origin and shown only with that page.
// A width or height of 0 is measured from the control's text (labels, boxes).
struct ControlPlace {
  int id;
  int page;
  int x, y, w, h;
};

// Gives the dialog its client size, centres it on the screen and puts every
// control there is at its pixel place (dialog units would round them off).
void PlaceControls(HWND dlg, std::span<const ControlPlace> places, POINT pageOrigin, int clientW,
                   int clientH);
void PlaceControl(HWND dlg, const ControlPlace& place, POINT pageOrigin);
// Sizes the controls there are, of those placed with a zero width or height,
// to their current text.
void AutoSizeLabels(HWND dlg, std::span<const ControlPlace> places, POINT pageOrigin);
const ControlPlace* FindPlace(std::span<const ControlPlace> places, int id);
// Shows the controls of page and hides those of every other page.
void ShowPageControls(HWND dlg, std::span<const ControlPlace> places, int page);

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

// Fonts a dialog gives its controls, released with the dialog.
class DialogFonts {
 public:
  DialogFonts() = default;
  ~DialogFonts();
  DialogFonts(const DialogFonts&) = delete;
  DialogFonts& operator=(const DialogFonts&) = delete;
  // Character height in pixels, as the designer gave it.
  void Apply(HWND dlg, int id, const char* face, int pixelHeight);

 private:
  std::vector<HFONT> fonts_;
};

}  // namespace pel
