// The uninstall dialogs' controls as the wizard and the notice see them: an UninstView over a real window.
#pragma once

#include <windows.h>

#include "gui/win32/application.h"
#include "gui/win32/window_helpers.h"
#include "gui/win32/wizard_frame.h"
#include "uninstall/uninst_view.h"

namespace pel {

class Win32UninstView final : public UninstView {
 public:
  // frame: the wizard's, whose pages hold their controls; nullptr for a
  // window whose controls are all its own (the closing notice).
  Win32UninstView(HWND hwnd, WizardFrame* frame) : hwnd_(hwnd), frame_(frame) {}

  void ShowPage(int index) override;
  Text GetText(UninstControl c) const override { return ControlText(Item(c)); }
  void SetText(UninstControl c, std::string_view text) override { SetControlText(Item(c), text); }
  bool IsChecked(UninstControl c) const override {
    return SendMessageA(Item(c), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void SetChecked(UninstControl c, bool on) override {
    SendMessageA(Item(c), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  bool IsEnabled(UninstControl c) const override { return IsWindowEnabled(Item(c)); }
  void SetEnabled(UninstControl c, bool on) override { EnableWindow(Item(c), on); }
  void Focus(UninstControl c) override {
    SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(c)), TRUE);
  }
  void ClearLines(UninstControl c) override { SetWindowTextA(Item(c), ""); }
  void AddLine(UninstControl c, std::string_view line) override { AppendRichLine(Item(c), line); }
  void ScrollPageUp(UninstControl c) override { SendMessageA(Item(c), EM_SCROLL, SB_PAGEUP, 0); }
  bool LockUpdate() override { return LockWindowUpdate(hwnd_) != 0; }
  void UnlockUpdate() override { LockWindowUpdate(nullptr); }
  void ProcessMessages() override;
  MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) override {
    return app::ShowBox(hwnd_, text, caption, buttons);
  }

 private:
  HWND Item(UninstControl c) const {
    return frame_ ? frame_->Control(static_cast<int>(c)) : GetDlgItem(hwnd_, static_cast<int>(c));
  }
  HWND hwnd_;
  WizardFrame* frame_;
};

}  // namespace pel
