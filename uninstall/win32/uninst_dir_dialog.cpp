// The closing notice's real window: the manual-delete warning and the button that opens the home folder.
#include <optional>

#include "gui/win32/application.h"
#include "gui/win32/window_helpers.h"
#include "setup/win32/center_over_win32.h"
#include "sys/platform.h"
#include "uninstall/manual_delete_notice.h"
#include "uninstall/win32/uninst_dialog.h"
#include "uninstall/win32/uninst_ids.h"
#include "uninstall/win32/win32_uninst_view.h"

namespace pel {
namespace {

constexpr ControlPlace kPlaces[] = {
    {IDC_Bevel1, kOnWindow, 8, 8, 417, 209},      {IDC_Label2, kOnWindow, 16, 16, 401, 29},
    {IDC_Label1, kOnWindow, 24, 56, 385, 49},     {IDC_Label3, kOnWindow, 24, 112, 385, 49},
    {IDC_OpenDirBtn, kOnWindow, 24, 176, 385, 25}, {IDC_OkBtn, kOnWindow, 179, 228, 75, 25},
};
constexpr ControlFont kFonts[] = {{IDC_Label2, "MS Sans Serif", 24},
                                  {IDC_Label1, "MS Sans Serif", 13},
                                  {IDC_Label3, "MS Sans Serif", 13}};
constexpr DialogDesign kDesign = {kPlaces, {433, 265}, kFonts};

struct DirWindow {
  std::optional<Win32UninstView> view;
  std::optional<TUninstDirDlg> dlg;
  std::optional<app::MessageOwnerScope> boxOwner;
  DialogFonts fonts;
  Text folder;
  bool complete = true;
  HWND owner = nullptr;
};

INT_PTR CALLBACK DirProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = reinterpret_cast<DirWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    w = reinterpret_cast<DirWindow*>(lp);
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    w->boxOwner.emplace(hwnd);
    DisableSystemDialogScaling(hwnd);
    LayOutDialog(hwnd, kDesign, WindowDpi(hwnd), w->fonts);
    w->view.emplace(hwnd, nullptr);
    w->dlg.emplace(*w->view, ActivePlatform());
    w->dlg->Construct(w->folder, w->complete);
    CenterOver(hwnd, w->owner);
    return TRUE;
  }
  if (!w) return FALSE;
  if (msg == WM_DESTROY) {
    w->boxOwner.reset();
    return FALSE;
  }
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDC_OpenDirBtn && HIWORD(wp) == BN_CLICKED && w->dlg) {
        w->dlg->OpenDirBtnClick();
      } else if (LOWORD(wp) == IDC_OkBtn) {
        EndDialog(hwnd, IDOK);  // Esc does nothing: Ok or the close box
      }
      return TRUE;
    case WM_CLOSE: EndDialog(hwnd, IDCANCEL); return TRUE;
    case WM_DPICHANGED: return TakeDpiChange(hwnd, kDesign, w->fonts, wp, lp) != 0;
    default: return FALSE;
  }
}

}  // namespace

void ShowManualDeleteNotice(const Text& folder, bool complete, HWND owner) {
  DirWindow w;
  w.folder = folder;
  w.complete = complete;
  w.owner = owner;
  DialogBoxParamA(app::Instance(), MAKEINTRESOURCEA(IDD_UNINSTDIR), owner, DirProc,
                  reinterpret_cast<LPARAM>(&w));
}

}  // namespace pel
