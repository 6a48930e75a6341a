// The one wizard window both wizards run in: frame, pages made when first needed, scaling to the display.
#pragma once

#include <windows.h>

#include <span>

#include "gui/win32/window_helpers.h"

namespace pel {

// A wizard's window as designed, all in pixels at 96 DPI: data only.
struct WizardDesign {
  int frameTemplate;                   // the window with the controls it shows on every page
  std::span<const int> pageTemplates;  // one child-dialog template a page, in page order
  std::span<const char* const> pageNames;  // what the notebook label reads on each page
  int notebook;                        // the label whose place the pages fill; they follow it in tab order
  DialogDesign layout;                 // places (page controls relative to the page), client, fonts
  std::span<const int> richEdits;      // drawn on the button face, as the panel around them
  std::span<const int> checked;        // check boxes that start checked
  int icon;                            // the window's icon resource
  int aboutCommand;
  const char* aboutItem;               // the system menu's added item
};

class WizardFrame;

// What one wizard does inside the frame: its state machine behind the window.
class WizardPages {
 public:
  virtual ~WizardPages() = default;
  // The window exists, laid out at its DPI, with no page made yet. False:
  // the wizard cannot start, and the run ends at once.
  virtual bool Construct(WizardFrame& frame) = 0;
  // The window is shown for the first time. False: the run ends.
  virtual bool Shown() { return true; }
  // What the window's controls and its frame tell: WM_COMMAND (a page's
  // controls' too), WM_CLOSE (the close box, Alt+F4, another program) and
  // WM_SYSCOMMAND, where true says the command was the wizard's own (the
  // About item). One entry, so that a wizard guards its events in one place.
  virtual bool Event(UINT msg, WPARAM wp, LPARAM lp) = 0;
  // The window is going: nothing of it may be used after this.
  virtual void Destroying() {}
  virtual bool Busy() const { return false; }
};

// What a run of the wizard came to.
enum class WizardRun {
  Ended,     // the wizard ended it (EndRun), the user's way
  NotMade,   // the window or its first page could not be made
  Refused,   // the wizard's Construct or Shown said no
};

class WizardFrame {
 public:
  WizardFrame(const WizardDesign& design, WizardPages& pages) : design_(design), pages_(pages) {}
  WizardFrame(const WizardFrame&) = delete;
  WizardFrame& operator=(const WizardFrame&) = delete;

  // Runs the wizard modally over owner until EndRun.
  WizardRun Run(HINSTANCE instance, HWND owner);
  void EndRun();

  HWND Window() const { return hwnd_; }
  int Dpi() const { return dpi_; }
  // The control with that id, on the window or on its page; the page is made
  // first when it is not yet. nullptr when the design has no such control or
  // its page cannot be made.
  HWND Control(int id);
  // Makes the page when it is not made yet: false when it cannot be.
  bool MakePage(int page);
  // Shows one page and hides the others; the notebook label names it.
  void ShowPage(int page);
  // Every page not made yet, made now (after the first paint, so that the
  // first page is on screen sooner).
  void MakeAllPages();

 private:
  static INT_PTR CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);
  bool Init(HWND hwnd);
  // Places, sizes and fonts at dpi_: the window's own controls, every page made.
  void LayOut();
  void LayOutPage(int page);
  void OnDpiChanged(int dpi, const RECT& suggested);

  static constexpr int kMaxPages = 8;
  const WizardDesign& design_;
  WizardPages& pages_;
  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND page_[kMaxPages] = {};
  int dpi_ = 96;
  DialogFonts fonts_;
  HICON ownerIcon_ = nullptr;
  HWND owner_ = nullptr;
  bool shown_ = false;
  WizardRun result_ = WizardRun::Ended;
};

}  // namespace pel
