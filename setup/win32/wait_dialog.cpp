// The wait dialog's real window: places the controls, runs the timer, forwards events to TWaitForm.
#include "setup/win32/wait_dialog.h"

#include <optional>

#include "gui/win32/application.h"
#include "gui/win32/window_helpers.h"
#include "setup/wait_form.h"
#include "setup/win32/center_over_win32.h"
#include "setup/win32/dialog_ids.h"

namespace pel {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr ControlPlace kPlaces[] = {
    {IDC_WaitPanel1, kOnWindow, 8, 8, 241, 57},
    {IDC_WaitCancelBtn, kOnWindow, 91, 74, 75, 25},
};
constexpr ControlFont kFonts[] = {{IDC_WaitPanel1, "MS Sans Serif", 13}};
constexpr DialogDesign kDesign = {kPlaces, {257, 107}, kFonts};

class Win32WaitView final : public WaitView {
 public:
  explicit Win32WaitView(HWND hwnd) : hwnd_(hwnd) {}

  void SetPanelText(std::string_view text) override {
    SetControlText(GetDlgItem(hwnd_, IDC_WaitPanel1), text);
  }
  void SetCancelEnabled(bool on) override { EnableWindow(GetDlgItem(hwnd_, IDC_WaitCancelBtn), on); }
  void StartTimer(int intervalMs) override {
    // Setting an existing timer again restarts its period.
    SetTimer(hwnd_, kTimer1, static_cast<UINT>(intervalMs), nullptr);
  }
  void StopTimer() override { KillTimer(hwnd_, kTimer1); }
  MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) override {
    return app::ShowBox(hwnd_, text, caption, buttons);
  }
  void EndModal(ModalResult result) override { EndDialog(hwnd_, static_cast<INT_PTR>(result)); }

 private:
  HWND hwnd_;
};

// Everything the dialog procedure needs for one modal run.
struct WaitWindow {
  std::string_view caption;
  std::string_view message;
  HWND owner = nullptr;
  std::optional<Win32WaitView> view;
  std::optional<TWaitForm> form;
  std::optional<app::MessageOwnerScope> boxOwner;  // boxes shown while it runs are its own
  DialogFonts fonts;
};

void Construct(HWND hwnd, WaitWindow& w) {
  DisableSystemDialogScaling(hwnd);
  LayOutDialog(hwnd, kDesign, WindowDpi(hwnd), w.fonts);
  w.view.emplace(hwnd);
  w.form.emplace(*w.view);
  SetControlText(hwnd, w.caption);
  w.form->SetMessage(w.message);
  CenterOver(hwnd, w.owner);
}

INT_PTR CALLBACK WaitProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = reinterpret_cast<WaitWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    w = reinterpret_cast<WaitWindow*>(lp);
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    w->boxOwner.emplace(hwnd);
    Construct(hwnd, *w);
    return TRUE;
  }
  if (msg == WM_DESTROY && w) w->boxOwner.reset();
  if (!w || !w->form) return FALSE;
  switch (msg) {
    case WM_TIMER:
      if (wp == kTimer1) w->form->Timer1Timer();
      return TRUE;
    case WM_COMMAND:
      // Escape and Enter arrive as IDCANCEL and IDOK; neither is a button here.
      if (LOWORD(wp) == IDC_WaitCancelBtn && HIWORD(wp) == BN_CLICKED) w->form->CancelBtnClick();
      return TRUE;
    case WM_CLOSE:
      // Alt+F4 or another program closing it (there is no close box): it asks like Cancel.
      w->form->Close(ModalResult::Cancel);
      return TRUE;
    case WM_DPICHANGED: return TakeDpiChange(hwnd, kDesign, w->fonts, wp, lp) != 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lp) == GetDlgItem(hwnd, IDC_WaitPanel1))
        return ColorControl(wp, RGB(0, 0, 0), COLOR_BTNFACE);
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

bool ShowWaitDialog(std::string_view caption, std::string_view message, HWND owner) {
  WaitWindow w;
  w.caption = caption;
  w.message = message;
  w.owner = owner;
  // The dialog is meant to stay with its owner until the owner goes; the modal
  // run destroys it at EndDialog instead. Nothing looks at the hidden leftover,
  // and a window that is gone cannot pile up over repeated calls.
  INT_PTR r = DialogBoxParamA(app::Instance(), MAKEINTRESOURCEA(IDD_WAIT), owner, WaitProc,
                              reinterpret_cast<LPARAM>(&w));
  return r == static_cast<INT_PTR>(ModalResult::Ok);
}

}  // namespace pel
