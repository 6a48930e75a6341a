// An UninstView without windows: holds what the real dialogs would show, for tests.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "sys/memory/scripted_ui.h"
#include "uninstall/uninst_view.h"

namespace pel {

class FakeUninstView final : public UninstView {
 public:
  // The wizard as designed, before creation runs.
  FakeUninstView() {
    texts_[UninstControl::NextBtn] = "Next";
    texts_[UninstControl::CancelBtn] = "Cancel";
    texts_[UninstControl::BackBtn] = "Back";
    texts_[UninstControl::AppEntries] = "Pelmora";
    texts_[UninstControl::MixEntries] = "Mixmaster";
    checked_[UninstControl::AppEntries] = true;
    checked_[UninstControl::MixEntries] = true;
    enabled_[UninstControl::BackBtn] = false;
  }

  int page = -1;
  std::vector<int> pages;  // every page shown, in order
  UninstControl focused = UninstControl::NextBtn;
  int locks = 0, unlocks = 0, pageUps = 0, pumps = 0;
  bool lockRefused = false;
  ScriptedUi ui;

  void ShowPage(int index) override { page = index; pages.push_back(index); }
  Text GetText(UninstControl c) const override {
    if (auto it = lines_.find(c); it != lines_.end()) {
      Text t;
      for (size_t i = 0; i < it->second.size(); ++i) t += (i ? "\r\n" : "") + it->second[i];
      return t;
    }
    auto it = texts_.find(c);
    return it == texts_.end() ? Text() : it->second;
  }
  void SetText(UninstControl c, std::string_view text) override {
    lines_.erase(c);
    texts_[c] = Text(text);
  }
  bool IsChecked(UninstControl c) const override { return checked_.count(c) && checked_.at(c); }
  void SetChecked(UninstControl c, bool on) override { checked_[c] = on; }
  bool IsEnabled(UninstControl c) const override { return !enabled_.count(c) || enabled_.at(c); }
  void SetEnabled(UninstControl c, bool on) override { enabled_[c] = on; }
  void Focus(UninstControl c) override { focused = c; }
  void ClearLines(UninstControl c) override { lines_[c].clear(); }
  void AddLine(UninstControl c, std::string_view line) override { lines_[c].emplace_back(line); }
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
  MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) override {
    return ui.ShowMessage(text, caption, buttons, MsgIcon::None);
  }

  // Runs whenever the window handles its queue (a click arriving mid-run).
  std::function<void()> onPump;

  std::vector<Text> Lines(UninstControl c) const {
    auto it = lines_.find(c);
    return it == lines_.end() ? std::vector<Text>{} : it->second;
  }
  // The user clicking a box: its state flips; the caller runs the click rule.
  void Toggle(UninstControl c) { checked_[c] = !IsChecked(c); }

 private:
  std::map<UninstControl, Text> texts_;
  std::map<UninstControl, bool> checked_;
  std::map<UninstControl, bool> enabled_;
  std::map<UninstControl, std::vector<Text>> lines_;
};

}  // namespace pel
