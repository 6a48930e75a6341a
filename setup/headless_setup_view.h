// A SetupView without windows: holds what the dialog would show, for unattended runs and tests.
#pragma once

#include <optional>
#include <vector>

#include "base/control_state.h"
#include "setup/setup_view.h"

namespace pel {

// The window as designed, before construction runs: the default folder, both
// boxes checked, Back disabled. Questions are answered with their first button.
class HeadlessSetupView : public SetupView {
 public:
  HeadlessSetupView() {
    state_.SetText(SetupControl::AppDIR, "C:\\Program Files\\Pelmora");
    state_.SetText(SetupControl::NextBtn, "Next");
    state_.SetText(SetupControl::CancelBtn, "Cancel");
    state_.SetText(SetupControl::BackBtn, "Back");
    state_.SetChecked(SetupControl::GroupBox, true);
    state_.SetChecked(SetupControl::RunPelmoraBox, true);
    state_.SetEnabled(SetupControl::BackBtn, false);
  }

  int page = -1;
  SetupControl focused = SetupControl::NextBtn;
  std::optional<SetupControl> selected;  // the edit whose whole text was selected last
  bool busy = false;

  void ShowPage(int index) override { page = index; }
  Text GetText(SetupControl c) const override { return state_.GetText(c); }
  void SetText(SetupControl c, std::string_view text) override { state_.SetText(c, text); }
  bool IsChecked(SetupControl c) const override { return state_.IsChecked(c); }
  void SetChecked(SetupControl c, bool on) override { state_.SetChecked(c, on); }
  bool IsEnabled(SetupControl c) const override { return state_.IsEnabled(c); }
  void SetEnabled(SetupControl c, bool on) override { state_.SetEnabled(c, on); }
  void Focus(SetupControl c) override { focused = c; }
  void SelectAll(SetupControl c) override { selected = c; }
  void ClearLines(SetupControl c) override { state_.ClearLines(c); }
  void AddLine(SetupControl c, std::string_view line) override { state_.AddLine(c, line); }
  void SetTextColor(SetupControl c, uint32_t bgr) override { state_.SetTextColor(c, bgr); }
  void SetBusyCursor(bool on) override { busy = on; }
  MsgAnswer Ask(std::string_view, std::string_view, MsgButtons buttons) override {
    return UnattendedAnswer(buttons);
  }

  std::vector<Text> Lines(SetupControl c) const { return state_.Lines(c); }
  uint32_t TextColor(SetupControl c) const { return state_.TextColor(c); }

 private:
  ControlState<SetupControl> state_;
};

}  // namespace pel
