// The script's commands on the current dialog: its controls, texts, keys and pictures.
#include <cstdlib>
#include <cstring>

#include "e2e/driver.h"
#include "e2e/driver_edit.h"


bool RunDialogCommand(const std::vector<std::string>& w) {
  const std::string& c = w[0];
  if (c == "window") {
    Need(w, 2);
    g_dialog = WaitFor(w[1], false, Ms(w, 2, 15000));
    Expect(g_dialog != nullptr, "no window " + Show(w[1]));
  } else if (c == "no-window") {
    Need(w, 2);
    Expect(WaitFor(w[1], false, Ms(w, 2, 1500)) == nullptr, "unexpected window " + Show(w[1]));
  } else if (c == "text" || c == "text-has") {
    Need(w, 3);
    std::string t = TextOf(Control(w[1]));
    bool ok = c == "text" ? t == w[2] : t.find(w[2]) != std::string::npos;
    Expect(ok, w[1] + " reads " + Show(t) + ", expected " + Show(w[2]));
  } else if (c == "wait-text") {
    Need(w, 3);
    std::string t;
    for (DWORD waited = 0; waited <= Ms(w, 3, 15000); waited += 50) {
      if ((t = TextOf(Control(w[1]))) == w[2]) break;
      Sleep(50);
    }
    Expect(t == w[2], w[1] + " reads " + Show(t) + ", expected " + Show(w[2]));
  } else if (c == "enabled" || c == "checked" || c == "visible") {
    Need(w, 3);
    HWND h = Control(w[1]);
    bool v = c == "enabled"   ? IsWindowEnabled(h) != 0
             : c == "checked" ? SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED
                              : IsWindowVisible(h) != 0;
    Expect(v == (w[2] == "1"), w[1] + " " + c + " is " + (v ? "1" : "0"));
  } else if (c == "set-text") {
    Need(w, 3);
    SendMessageA(Control(w[1]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w[2].c_str()));
  } else if (c == "check") {
    Need(w, 3);
    HWND h = Control(w[1]);
    if ((SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) != (w[2] == "1")) SendMessageA(h, BM_CLICK, 0, 0);
  } else if (c == "click") {
    Need(w, 2);
    PostMessageA(Control(w[1]), BM_CLICK, 0, 0);
    Sleep(50);
  } else if (c == "escape") {
    GUITHREADINFO gi = {sizeof gi};
    GetGUIThreadInfo(g_proc.dwThreadId, &gi);
    HWND target = gi.hwndFocus ? gi.hwndFocus : g_dialog;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    Sleep(50);
  } else if (c == "close") {
    PostMessageA(g_dialog, WM_CLOSE, 0, 0);
    Sleep(50);
  } else if (c == "sysmenu") {
    Need(w, 2);
    PostMessageA(g_dialog, WM_SYSCOMMAND, static_cast<WPARAM>(std::strtol(w[1].c_str(), nullptr, 0)), 0);
    Sleep(50);
  } else if (c == "sysmenu-last") {
    // As a person would: open the system menu from the keyboard, step up to
    // its last item (the menu wraps round) and choose it; it must open a box.
    // A busy machine can swallow keys sent while the menu starts: then the
    // menu is closed and opened again.
    bool boxed = false;
    for (int attempt = 0; attempt < 3 && !boxed; ++attempt) {
      // Menus track the keyboard of the active window only.
      SetForegroundWindow(g_dialog);
      Sleep(100);
      PostMessageA(g_dialog, WM_SYSCOMMAND, SC_KEYMENU, ' ');
      HWND popup = nullptr;
      for (int i = 0; i < 150 && !popup; ++i) {
        Sleep(20);
        popup = FindWindowA("#32768", nullptr);
        if (popup && !IsWindowVisible(popup)) popup = nullptr;
      }
      Sleep(200);
      PostMessageA(g_dialog, WM_KEYDOWN, VK_UP, 0x01480001);
      Sleep(200);
      PostMessageA(g_dialog, WM_KEYDOWN, VK_RETURN, 0x001C0001);
      boxed = WaitFor("", true, 2000) != nullptr;
      if (!boxed) {
        PostMessageA(g_dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(g_dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        Sleep(300);
      }
    }
    Expect(boxed, "the last item of the system menu opened no box");
  } else if (c == "snap") {
    Need(w, 2);
    HWND h = g_box ? g_box : g_dialog;
    Expect(h != nullptr, "nothing to snap");
    SaveBitmap(h, w[1]);
  } else if (c == "focus") {
    // A posted click or key moves the focus when the program gets to it.
    Need(w, 2);
    HWND want = Control(w[1]);
    bool focused = false;
    for (DWORD waited = 0; waited <= Ms(w, 2, 3000) && !focused; waited += 20) {
      GUITHREADINFO gi = {sizeof gi};
      GetGUIThreadInfo(g_proc.dwThreadId, &gi);
      focused = gi.hwndFocus == want;
      if (!focused) Sleep(20);
    }
    Expect(focused, w[1] + " has no focus");
  } else if (c == "tab" || c == "alt") {
    // Keys go to the focused control, as the keyboard would deliver them; the
    // wizard's modal loop turns them into focus moves.
    GUITHREADINFO gi = {sizeof gi};
    GetGUIThreadInfo(g_proc.dwThreadId, &gi);
    HWND target = gi.hwndFocus ? gi.hwndFocus : g_dialog;
    if (c == "tab") {
      PostMessageA(target, WM_KEYDOWN, VK_TAB, 0x000F0001);
    } else {
      Need(w, 2);
      WPARAM key = static_cast<WPARAM>(w[1][0]);
      PostMessageA(target, WM_SYSKEYDOWN, VkKeyScanA(w[1][0]) & 0xFF, 0x20000001);
      PostMessageA(target, WM_SYSCHAR, key, 0x20000001);
    }
    Sleep(80);
  } else if (c == "next-of") {
    // The second control directly follows the first in the z-order, as the
    // label before the edit it names must.
    Need(w, 3);
    Expect(GetWindow(Control(w[1]), GW_HWNDNEXT) == Control(w[2]), w[2] + " does not follow " + w[1]);
  } else if (c == "gone") {
    bool closed = false;
    for (DWORD waited = 0; waited <= Ms(w, 1, 10000) && !closed; waited += 20) {
      closed = !IsWindow(g_dialog) || !IsWindowVisible(g_dialog);
      if (!closed) Sleep(20);
    }
    Expect(closed, "the window is still open");
    g_dialog = nullptr;
  } else if (c == "pick") {
    Need(w, 3);
    HWND list = Control(w[1]);
    char cls[32] = "";
    GetClassNameA(list, cls, sizeof cls);
    bool combo = lstrcmpiA(cls, "ComboBox") == 0;
    LRESULT i = SendMessageA(list, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT,
                             static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(w[2].c_str()));
    Expect(i >= 0, "no item " + Show(w[2]) + " in " + w[1]);
    SendMessageA(list, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    int id = GetDlgCtrlID(list);
    WPARAM note = combo ? MAKEWPARAM(id, CBN_SELCHANGE) : MAKEWPARAM(id, LBN_DBLCLK);
    PostMessageA(g_dialog, WM_COMMAND, note, reinterpret_cast<LPARAM>(list));
    Sleep(150);
  } else if (c == "window-enabled") {
    Need(w, 2);
    Expect(g_dialog != nullptr, "no current window");
    bool v = IsWindowEnabled(g_dialog) != 0;
    Expect(v == (w[1] == "1"), std::string("the window is ") + (v ? "enabled" : "disabled"));
  } else if (c == "lines") {
    Need(w, 2);
    std::vector<std::string> want(w.begin() + 2, w.end());
    std::string t = TextOf(Control(w[1]));
    Expect(LinesOf(t) == want, w[1] + " reads " + Show(t));
  } else if (c == "top-line") {
    Need(w, 3);
    LRESULT top = SendMessageA(Control(w[1]), EM_GETFIRSTVISIBLELINE, 0, 0);
    Expect(top == std::atol(w[2].c_str()), w[1] + " shows line " + std::to_string(top) + " first");
  } else if (c == "selected") {
    Need(w, 3);
    std::string seen;
    bool v = WholeTextSelected(Control(w[1]), &seen);
    Expect(v == (w[2] == "1"), w[1] + ": " + seen);
  } else {
    return false;
  }
  return true;
}
