// The uninstall dialogs' controls as the wizard and the notice see them: an UninstView over a real window.
#include "uninstall/win32/win32_uninst_view.h"

#include "uninstall/win32/uninst_ids.h"

namespace pel {

void Win32UninstView::ShowPage(int index) {
  if (frame_) frame_->ShowPage(index);
}

void Win32UninstView::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Not ours to take: the loop that waits for it must still see it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!IsDialogMessageA(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

}  // namespace pel
