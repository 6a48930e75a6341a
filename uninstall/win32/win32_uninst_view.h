// The uninstall dialogs' controls as the wizard and the notice see them: an UninstView over a real window.
#pragma once

#include <windows.h>

#include "app/win32/application.h"
#include "app/win32/window_helpers.h"
#include "uninstall/uninst_view.h"

namespace pel {

class Win32UninstView final : public UninstView {
 public:
  // pages: the pixel places, for showing one page's controls.
  Win32UninstView(HWND hwnd, std::span<const ControlPlace> places) : hwnd_(hwnd), places_(places) {}

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
  HWND Item(UninstControl c) const { return GetDlgItem(hwnd_, static_cast<int>(c)); }
  HWND hwnd_;
  std::span<const ControlPlace> places_;
};

}  // namespace pel
