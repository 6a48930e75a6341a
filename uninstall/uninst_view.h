// What the uninstall wizard and its closing notice need from their windows: the thin layer between decisions and Win32.
#pragma once

#include <string_view>

#include "base/text.h"
#include "sys/ui.h"

namespace pel {

// The wizard's and the notice's controls, by their design-time names. The
// values are the dialog control identifiers of the real windows
// (uninstall/win32/uninst_ids.h), shared with the setup wizard's where the
// names are the same.
enum class UninstControl : int {
  Panel1 = 1000,
  Appname = 1001,
  Notebook = 1100,
  Label23 = 1101,
  RichEdit7 = 1102,
  Label24 = 1103,
  Label25 = 1110,
  Label26 = 1111,
  AppEntries = 1112,
  MixEntries = 1113,
  RichEdit3 = 1033,
  Label1 = 1120,
  Label2 = 1024,
  RichEdit1 = 1011,
  Memo1 = 1121,
  Label4 = 1012,
  Label6 = 1020,
  RichEdit2 = 1021,
  BackBtn = 1050,
  NextBtn = 1051,
  CancelBtn = 2,  // IDCANCEL: the Escape key presses it
  // The closing notice.
  Bevel1 = 1400,
  OpenDirBtn = 1401,
  Label3 = 1022,
  OkBtn = 1303,
};

class UninstView {
 public:
  virtual ~UninstView() = default;

  virtual void ShowPage(int index) = 0;
  virtual Text GetText(UninstControl c) const = 0;
  virtual void SetText(UninstControl c, std::string_view text) = 0;
  // Setting a box here runs no click rule: the wizard runs its own.
  virtual bool IsChecked(UninstControl c) const = 0;
  virtual void SetChecked(UninstControl c, bool on) = 0;
  virtual bool IsEnabled(UninstControl c) const = 0;
  virtual void SetEnabled(UninstControl c, bool on) = 0;
  virtual void Focus(UninstControl c) = 0;
  // Multi-line text: remove every line, append one line.
  virtual void ClearLines(UninstControl c) = 0;
  virtual void AddLine(UninstControl c, std::string_view line) = 0;
  // One page-up scroll of a multi-line text (EM_SCROLL, SB_PAGEUP).
  virtual void ScrollPageUp(UninstControl c) = 0;
  // Stops the window drawing; false when another window holds the lock.
  virtual bool LockUpdate() = 0;
  virtual void UnlockUpdate() = 0;
  // Lets the window handle what is waiting in its queue (painting, clicks).
  virtual void ProcessMessages() = 0;
  // A modal box owned by this window.
  virtual MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) = 0;
};

}  // namespace pel
