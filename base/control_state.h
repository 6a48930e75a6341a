// What a window's controls hold (texts, lines, checks, enabled states), kept without a window.
#pragma once

#include <map>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace pel {

// Keyed by a window's control enum. A control never set reads as empty text,
// unchecked and enabled; a control given lines reads as those lines joined by
// CR LF, as a multi-line edit would give them back.
template <class Control>
class ControlState {
 public:
  Text GetText(Control c) const {
    if (auto it = lines_.find(c); it != lines_.end()) {
      Text t;
      for (size_t i = 0; i < it->second.size(); ++i) t += (i ? "\r\n" : "") + it->second[i];
      return t;
    }
    auto it = texts_.find(c);
    return it == texts_.end() ? Text() : it->second;
  }
  void SetText(Control c, std::string_view text) {
    lines_.erase(c);
    texts_[c] = Text(text);
  }
  bool IsChecked(Control c) const {
    auto it = checked_.find(c);
    return it != checked_.end() && it->second;
  }
  void SetChecked(Control c, bool on) { checked_[c] = on; }
  bool IsEnabled(Control c) const {
    auto it = enabled_.find(c);
    return it == enabled_.end() || it->second;
  }
  void SetEnabled(Control c, bool on) { enabled_[c] = on; }
  void ClearLines(Control c) { lines_[c].clear(); }
  void AddLine(Control c, std::string_view line) { lines_[c].emplace_back(line); }
  std::vector<Text> Lines(Control c) const {
    auto it = lines_.find(c);
    return it == lines_.end() ? std::vector<Text>{} : it->second;
  }

 private:
  std::map<Control, Text> texts_;
  std::map<Control, bool> checked_;
  std::map<Control, bool> enabled_;
  std::map<Control, std::vector<Text>> lines_;
};

}  // namespace pel
