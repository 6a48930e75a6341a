// An UninstView without windows: holds what the dialogs would show, for unattended runs and tests.
#pragma once

#include <functional>
#include <vector>

#include "base/control_state.h"
#include "uninstall/uninst_view.h"

namespace pel {

// The wizard as designed, before creation runs. Questions are answered with
// their first button; nothing is ever drawn.
class HeadlessUninstView : public UninstView {
 public:
  HeadlessUninstView() {
    state_.SetText(UninstControl::NextBtn, "Next");
    state_.SetText(UninstControl::CancelBtn, "Cancel");
    state_.SetText(UninstControl::BackBtn, "Back");
    state_.SetText(UninstControl::AppEntries, "Pelmora");
    state_.SetText(UninstControl::MixEntries, "Mixmaster");
    state_.SetChecked(UninstControl::AppEntries, true);
    state_.SetChecked(UninstControl::MixEntries, true);
    state_.SetEnabled(UninstControl::BackBtn, false);
  }

  int page = -1;
  std::vector<int> pages;  // every page shown, in order
  UninstControl focused = UninstControl::NextBtn;
  int locks = 0, unlocks = 0, pageUps = 0, pumps = 0;
  bool lockRefused = false;
  // Runs whenever the window would handle its queue (a click arriving mid-run).
  std::function<void()> onPump;
  // Runs for every line added to a multi-line text, with its control.
  std::function<void(UninstControl, std::string_view)> onLine;

  void ShowPage(int index) override { page = index; pages.push_back(index); }
  Text GetText(UninstControl c) const override { return state_.GetText(c); }
  void SetText(UninstControl c, std::string_view text) override { state_.SetText(c, text); }
  bool IsChecked(UninstControl c) const override { return state_.IsChecked(c); }
  void SetChecked(UninstControl c, bool on) override { state_.SetChecked(c, on); }
  bool IsEnabled(UninstControl c) const override { return state_.IsEnabled(c); }
  void SetEnabled(UninstControl c, bool on) override { state_.SetEnabled(c, on); }
  void Focus(UninstControl c) override { focused = c; }
  void ClearLines(UninstControl c) override { state_.ClearLines(c); }
  void AddLine(UninstControl c, std::string_view line) override {
    state_.AddLine(c, line);
    if (onLine) onLine(c, line);
  }
  void ScrollPageUp(UninstControl) override { ++pageUps; }
  bool LockUpdate() override {
    ++locks;
    return !lockRefused;
  }
  void UnlockUpdate() override { ++unlocks; }
  void ProcessMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  MsgAnswer Ask(std::string_view, std::string_view, MsgButtons buttons) override {
    return UnattendedAnswer(buttons);
  }

  std::vector<Text> Lines(UninstControl c) const { return state_.Lines(c); }
  // The user clicking a box: its state flips; the caller runs the click rule.
  void Toggle(UninstControl c) { state_.SetChecked(c, !IsChecked(c)); }

 private:
  ControlState<UninstControl> state_;
};

}  // namespace pel
