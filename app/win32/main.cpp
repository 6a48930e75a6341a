// Entry point and the hidden main window that owns whichever wizard runs.
#include <windows.h>

#include <commctrl.h>
#include <cstdlib>
#include <stdexcept>
#include <exception>

#include "app/constants.h"
#include "app/mode.h"
#include "app/win32/application.h"
#include "app/win32/resource.h"
#include "setup/win32/setup_dialog.h"
#include "uninstall/win32/uninst_dialog.h"
#include "sys/ui.h"

namespace pel {
Ui& Win32UiInstance();

namespace {

INT_PTR CALLBACK MainFormProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// The main window's whole life happens in its construction: it decides the
// mode, runs that wizard modally as the wizard's owner, and posts the quit
// message that ends the message loop as soon as it starts.
class TMainForm {
 public:
  TMainForm() {
    hwnd_ = CreateDialogParamA(app::Instance(), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainFormProc, 0);
    if (!hwnd_) throw std::runtime_error("Cannot create the main window");
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(app::Instance(), MAKEINTRESOURCEA(IDI_PELMORA))));
    const char* firstArg = __argc > 1 ? __argv[1] : "";
    if (DecideMode(OwnModulePath(), firstArg) == Mode::Setup) {
      app::SetTitle(SetupTitle);
      RunSetupWizard(hwnd_);
    } else {
      app::SetTitle(UninstallTitle);
      RunUninstallWizard(hwnd_);
    }
    PostMessageA(hwnd_, WM_QUIT, 0, 0);
  }
  ~TMainForm() { DestroyWindow(hwnd_); }
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

 private:
  HWND hwnd_ = nullptr;
};

void RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace
}  // namespace pel

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace pel;
  app::SetInstance(instance);
  SetCurrentUi(&Win32UiInstance());
  try {
    app::SetTitle(ProductName);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    LoadLibraryA("riched20.dll");
    TMainForm mainForm;
    RunMessageLoop();
  } catch (const std::exception& e) {
    app::ShowException(e.what());
  } catch (...) {
    app::ShowException("Unexpected error");
  }
  return 0;
}
