// What a window's controls hold (texts, lines, checks, enabled states, text colours), kept without a window.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace pel {

// Keyed by a control's id. A control never set reads as empty text,
// unchecked, enabled and in colour 0; a control given lines reads as those
// lines joined by CR LF, as a multi-line edit would give them back. A window
// has a few dozen controls, so they are kept in one list and looked up in turn.
class ControlStates {
 public:
  Text GetText(int id) const;
  void SetText(int id, std::string_view text);
  bool IsChecked(int id) const;
  void SetChecked(int id, bool on);
  bool IsEnabled(int id) const;
  void SetEnabled(int id, bool on);
  void ClearLines(int id);
  void AddLine(int id, std::string_view line);
  std::vector<Text> Lines(int id) const;
  uint32_t TextColor(int id) const;
  void SetTextColor(int id, uint32_t bgr);

 private:
  struct Control {
    int id;
    Text text;
    std::vector<Text> lines;
    bool hasLines = false;  // given lines since its last text
    bool checked = false;
    bool enabled = true;
    uint32_t color = 0;
  };
  const Control* Find(int id) const;
  Control& At(int id);

  std::vector<Control> controls_;
};

// The same, keyed by a window's control enum.
template <class Control>
class ControlState {
 public:
  Text GetText(Control c) const { return states_.GetText(Id(c)); }
  void SetText(Control c, std::string_view text) { states_.SetText(Id(c), text); }
  bool IsChecked(Control c) const { return states_.IsChecked(Id(c)); }
  void SetChecked(Control c, bool on) { states_.SetChecked(Id(c), on); }
  bool IsEnabled(Control c) const { return states_.IsEnabled(Id(c)); }
  void SetEnabled(Control c, bool on) { states_.SetEnabled(Id(c), on); }
  void ClearLines(Control c) { states_.ClearLines(Id(c)); }
  void AddLine(Control c, std::string_view line) { states_.AddLine(Id(c), line); }
  std::vector<Text> Lines(Control c) const { return states_.Lines(Id(c)); }
  uint32_t TextColor(Control c) const { return states_.TextColor(Id(c)); }
  void SetTextColor(Control c, uint32_t bgr) { states_.SetTextColor(Id(c), bgr); }

 private:
  static int Id(Control c) { return static_cast<int>(c); }
  ControlStates states_;
};

}  // namespace pel
