// A SetupView without windows: holds what the real dialog would show, for tests.
#pragma once

#include <map>
#include <vector>

#include "setup/setup_view.h"
#include "sys/memory/scripted_ui.h"

namespace pel {

class FakeSetupView final : public SetupView {
 public:
  // Change handlers run when an edit's text changes, as in the real window.
  std::function<void(SetupControl)> onChange;

  // The window as designed, before construction runs.
  FakeSetupView() {
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
  ScriptedUi ui;

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
  void SetText(SetupControl c, std::string_view text) override {
    texts_[c] = Text(text);
    if (onChange && (c == SetupControl::EAddr || c == SetupControl::Host)) onChange(c);
  }
  bool IsChecked(SetupControl c) const override { return checked_.count(c) ? checked_.at(c) : false; }
  void SetChecked(SetupControl c, bool on) override { checked_[c] = on; }
  bool IsEnabled(SetupControl c) const override { return enabled_.count(c) ? enabled_.at(c) : true; }
  void SetEnabled(SetupControl c, bool on) override { enabled_[c] = on; }
  void Focus(SetupControl c) override { focused = c; }
  void ClearLines(SetupControl c) override { lines_[c].clear(); }
  void AddLine(SetupControl c, std::string_view line) override { lines_[c].emplace_back(line); }
  void SetTextColor(SetupControl c, uint32_t bgr) override { colors[c] = bgr; }
  void SetBusyCursor(bool on) override { busy = on; }
  MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) override {
    return ui.ShowMessage(text, caption, buttons, MsgIcon::None);
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
