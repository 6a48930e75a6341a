// What the setup wizard needs from its window: the thin layer between decisions and Win32.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/text.h"
#include "sys/ui.h"

namespace pel {

// The wizard's controls, by their design-time names. The values are the dialog
// control identifiers of the real window (IDC_<name> in the resource script).
enum class SetupControl : int {
  Panel1 = 1000,
  Appname = 1001,
  Notebook1 = 1002,
  Copyright = 1010,
  RichEdit1 = 1011,
  Label4 = 1012,
  AppDIR = 1013,
  BrowseBtn = 1014,
  GroupBox = 1015,
  Label6 = 1020,
  RichEdit2 = 1021,
  Label3 = 1022,
  EAddr = 1023,
  Label2 = 1024,
  Host = 1025,
  Label7 = 1030,
  RichEdit4 = 1031,
  Label8 = 1032,
  RichEdit3 = 1033,
  Label5 = 1040,
  RichEdit6 = 1041,
  RunPelmoraBox = 1042,
  RichEdit5 = 1043,
  BackBtn = 1050,
  NextBtn = 1051,
  CancelBtn = 2,  // IDCANCEL: the Escape key presses it
};

class SetupView {
 public:
  virtual ~SetupView() = default;

  virtual void ShowPage(int index) = 0;
  virtual Text GetText(SetupControl c) const = 0;
  // Changing an edit's text runs its change rule, as typing would.
  virtual void SetText(SetupControl c, std::string_view text) = 0;
  virtual bool IsChecked(SetupControl c) const = 0;
  virtual void SetChecked(SetupControl c, bool on) = 0;
  virtual bool IsEnabled(SetupControl c) const = 0;
  virtual void SetEnabled(SetupControl c, bool on) = 0;
  virtual void Focus(SetupControl c) = 0;
  // Selects the whole text of an edit, so that typing replaces it.
  virtual void SelectAll(SetupControl c) = 0;
  // Rich text: remove every line, append one line, set the text colour (0xBBGGRR).
  virtual void ClearLines(SetupControl c) = 0;
  virtual void AddLine(SetupControl c, std::string_view line) = 0;
  virtual void SetTextColor(SetupControl c, uint32_t bgr) = 0;
  virtual void SetBusyCursor(bool busy) = 0;
  // A modal box owned by the wizard window.
  virtual MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) = 0;
};

}  // namespace pel
