// Wizard hooks a test sets one at a time as lambdas; one left unset does what
// the wizard's own default does.
#pragma once

#include <functional>

#include "uninstall/uninst_form.h"

namespace pel {

struct FakeUninstHooks final : UninstHooks {
  std::function<bool(std::string_view caption, std::string_view message)> waitDialog;
  std::function<void(TUninstWiz&)> runRemoval;
  std::function<void()> closeNow;
  std::function<void(int ms)> sleep;

  bool WaitDialog(std::string_view caption, std::string_view message) override {
    return waitDialog ? waitDialog(caption, message) : UninstHooks::WaitDialog(caption, message);
  }
  void RunRemoval(TUninstWiz& wiz) override {
    if (runRemoval) runRemoval(wiz);
  }
  void CloseNow() override {
    if (closeNow) closeNow();
  }
  void Sleep(int ms) override {
    if (sleep) sleep(ms);
  }
};

}  // namespace pel
