// The second yardstick for start-up time: the setup wizard's own window with
// no program behind it. The same manifest, common controls and rich edit
// library, the same templates (the window and its first page), nothing read,
// placed or decided; what the wizard takes beyond it is the program's own.
#include <windows.h>

#include <commctrl.h>

#include "setup/win32/setup_ids.h"

namespace {

INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) {
    HWND page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETUP_START), hwnd,
                                   [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ShowWindow(page, SW_SHOW);
    return TRUE;
  }
  if ((msg == WM_COMMAND && LOWORD(wp) == IDC_CancelBtn) || msg == WM_CLOSE) {
    EndDialog(hwnd, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryA("riched20.dll");
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, Proc, 0);
  return 0;
}
