// A SetupView without windows for tests: change rules run as typing would, boxes come from a script.
#pragma once

#include <functional>

#include "setup/headless_setup_view.h"
#include "sys/memory/scripted_ui.h"

namespace pel {

class FakeSetupView final : public HeadlessSetupView {
 public:
  // Change handlers run when an edit's text changes, as in the real window.
  std::function<void(SetupControl)> onChange;
  ScriptedUi ui;

  void SetText(SetupControl c, std::string_view text) override {
    HeadlessSetupView::SetText(c, text);
    if (onChange && (c == SetupControl::EAddr || c == SetupControl::Host)) onChange(c);
  }
  MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) override {
    return ui.ShowMessage(text, caption, buttons, MsgIcon::None);
  }
};

}  // namespace pel
