// A SetupView without windows: holds what the dialog would show, for unattended runs and tests.
#pragma once

#include <map>
#include <vector>

#include "setup/setup_view.h"

namespace pel {

// The window as designed, before construction runs: the default folder, both
// boxes checked, Back disabled. Questions are answered with their first button.
class HeadlessSetupView : public SetupView {
 public:
  HeadlessSetupView() {
    texts_[SetupControl::AppDIR] = "C:\\Program Files\\Pelmora";
    texts_[SetupControl::NextBtn] = "Next";
    texts_[SetupControl::CancelBtn] = "Cancel";
    texts_[SetupControl::BackBtn] = "Back";
    checked_[SetupControl::GroupBox] = true;
    checked_[SetupControl::RunPelmoraBox] = true;
    enabled_[SetupControl::BackBtn] = false;
  }

  int page = -1;
  SetupControl focused = SetupControl::NextBtn;
  bool busy = false;

  void ShowPage(int index) override { page = index; }
  Text GetText(SetupControl c) const override {
    if (auto it = lines_.find(c); it != lines_.end()) {
      Text t;
      for (size_t i = 0; i < it->second.size(); ++i) t += (i ? "\r\n" : "") + it->second[i];
      return t;
    }
    auto it = texts_.find(c);
    return it == texts_.end() ? Text() : it->second;
  }
  void SetText(SetupControl c, std::string_view text) override { texts_[c] = Text(text); }
  bool IsChecked(SetupControl c) const override {
    auto it = checked_.find(c);
    return it != checked_.end() && it->second;
  }
  void SetChecked(SetupControl c, bool on) override { checked_[c] = on; }
  bool IsEnabled(SetupControl c) const override {
    auto it = enabled_.find(c);
    return it == enabled_.end() || it->second;
  }
  void SetEnabled(SetupControl c, bool on) override { enabled_[c] = on; }
  void Focus(SetupControl c) override { focused = c; }
  void ClearLines(SetupControl c) override { lines_[c].clear(); }
  void AddLine(SetupControl c, std::string_view line) override { lines_[c].emplace_back(line); }
  void SetTextColor(SetupControl c, uint32_t bgr) override { colors[c] = bgr; }
  void SetBusyCursor(bool on) override { busy = on; }
  MsgAnswer Ask(std::string_view, std::string_view, MsgButtons buttons) override {
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
  }

  std::vector<Text> Lines(SetupControl c) const {
    auto it = lines_.find(c);
    return it == lines_.end() ? std::vector<Text>{} : it->second;
  }
  std::map<SetupControl, uint32_t> colors;

 private:
  std::map<SetupControl, Text> texts_;
  std::map<SetupControl, bool> checked_;
  std::map<SetupControl, bool> enabled_;
  std::map<SetupControl, std::vector<Text>> lines_;
};

}  // namespace pel
