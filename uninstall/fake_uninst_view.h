// An UninstView without windows for tests: boxes come from a script and are recorded.
#pragma once

#include "sys/memory/scripted_ui.h"
#include "uninstall/headless_uninst_view.h"

namespace pel {

class FakeUninstView final : public HeadlessUninstView {
 public:
  ScriptedUi ui;

  MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) override {
    return ui.ShowMessage(text, caption, buttons, MsgIcon::None);
  }
};

}  // namespace pel
