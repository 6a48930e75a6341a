// The demo distribution's stand-in for the mail client: a window that says what it is and where it started.
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kInfoId = 100;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "PelmoraDemoStandIn";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowA(wc.lpszClassName, "Pelmora (demo stand-in)",
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                            520, 150, nullptr, nullptr, instance, nullptr);
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  char text[MAX_PATH + 200];
  std::snprintf(text, sizeof text,
                "This is the demo stand-in for the Pelmora mail client.\r\nStarted in: %s", cwd);
  CreateWindowA("STATIC", text, WS_CHILD | WS_VISIBLE, 12, 12, 490, 60, hwnd,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kInfoId)), instance, nullptr);
  SendMessageA(GetDlgItem(hwnd, kInfoId), WM_SETFONT,
               reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  ShowWindow(hwnd, show);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
