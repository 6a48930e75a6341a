// The script's commands on a window's fit at the display's scaling: every control inside, every text whole.
//
//   fit [dpi] [except <ctl>...] every visible control of the current dialog (its
//                               pages included) lies inside its parent's client
//                               area; each label's, button's and check box's text
//                               fits it, measured with the control's own font;
//                               each single-line edit is as tall as its font;
//                               each rich text's last character is in its view;
//                               the controls named after except are not held to
//                               their texts (a design that cannot hold its text
//                               at any scaling, named in the script with why)
//   fit-box                     every control of the current message box lies
//                               inside it (the system lays boxes out and sizes
//                               their texts itself)
//   dpi <n>                     the current dialog's DPI is n
//   client-size <w> <h> [dpi]   its client area is w by h, or, with a DPI, w and
//                               h (the design's) scaled as MulDiv rounds
//   place <ctl> x y w h [dpi]   the control's place in its parent, the same way;
//                               a w or h of 0 is not checked (sized to its text)
//   dpi-change <dpi> <w> <h>    sends WM_DPICHANGED with the rectangle the system
//                               would suggest for a w by h design client at that
//                               DPI; the window must take it
#include <cstdlib>
#include <cstring>
#include <string>

#include "e2e/driver.h"

namespace {

int DesignScale(int v, int dpi) { return MulDiv(v, dpi, 96); }

int DpiOf(HWND h) {
  using Fn = UINT(WINAPI*)(HWND);
  auto f = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (f)
    if (UINT d = f(h)) return static_cast<int>(d);
  HDC dc = GetDC(nullptr);
  int d = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return d;
}

std::string ClassOf(HWND h) {
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  return cls;
}

std::string Name(HWND h) {
  return ClassOf(h) + " " + std::to_string(GetDlgCtrlID(h)) + " " + Show(TextOf(h));
}

// The font the program says it gave the control, made again here: a font
// handle means nothing in another process.
HFONT FontOf(HWND h) {
  auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropA(h, "FontFace")));
  int height = static_cast<int>(reinterpret_cast<LONG_PTR>(GetPropA(h, "FontHeight")));
  auto precision = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(GetPropA(h, "FontPrecision")));
  char face[LF_FACESIZE] = "";
  if (!atom || !height || !GlobalGetAtomNameA(atom, face, sizeof face)) return nullptr;
  return CreateFontA(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, precision,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

struct Checker {
  HDC dc;
  int dpi;
  bool placesOnly = false;
  std::vector<int> excepted;
  int failures = 0;

  void Bad(HWND h, const std::string& why) {
    std::printf("misfit: %s (font %d): %s\n", Name(h).c_str(),
                static_cast<int>(reinterpret_cast<LONG_PTR>(GetPropA(h, "FontHeight"))), why.c_str());
    ++failures;
  }

  void Control(HWND h, HWND parent) {
    RECT pc, r;
    GetClientRect(parent, &pc);
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    if (r.left < 0 || r.top < 0 || r.right > pc.right || r.bottom > pc.bottom)
      Bad(h, "at " + std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
                 std::to_string(r.bottom) + " past its parent's " + std::to_string(pc.right) + "x" +
                 std::to_string(pc.bottom));
    std::string cls = ClassOf(h);
    if (cls == "#32770") return Children(h);  // a page
    if (placesOnly) return;
    for (int id : excepted)
      if (GetDlgCtrlID(h) == id) return;
    LONG style = GetWindowLongA(h, GWL_STYLE);
    std::string text = TextOf(h);
    RECT c;
    GetClientRect(h, &c);
    int w = c.right, ht = c.bottom;
    HFONT font = FontOf(h);
    if (!font) {
      if (cls == "Static" || cls == "Button" || cls == "Edit" || cls.rfind("RichEdit", 0) == 0)
        if (!text.empty() || cls != "Static") Bad(h, "no font it tells of");
      return;
    }
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    if (cls == "Static" && !text.empty()) {
      LONG type = style & SS_TYPEMASK;
      if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP) {
        UINT how = DT_CALCRECT | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
        if (type != SS_LEFTNOWORDWRAP) how |= DT_WORDBREAK;
        RECT m = {0, 0, w, 0};
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &m, how);
        if (m.right > w || m.bottom > ht)
          Bad(h, "text needs " + std::to_string(m.right) + "x" + std::to_string(m.bottom) + " in " + std::to_string(w) +
                     "x" + std::to_string(ht));
      }
    } else if (cls == "Button") {
      LONG type = style & BS_TYPEMASK;
      RECT m = {0, 0, 0, 0};
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &m, DT_CALCRECT | DT_SINGLELINE);
      bool box = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX;
      // The box a check box draws before its text, at the window's scaling, and a gap.
      int need = m.right + (box ? DesignScale(13, dpi) + DesignScale(3, dpi) : DesignScale(4, dpi));
      if (type != BS_GROUPBOX && (need > w || m.bottom > ht))
        Bad(h, "text needs " + std::to_string(need) + "x" + std::to_string(m.bottom) + " in " + std::to_string(w) +
                   "x" + std::to_string(ht));
    } else if (cls == "Edit" && !(style & ES_MULTILINE)) {
      if (tm.tmHeight > ht) Bad(h, "font " + std::to_string(tm.tmHeight) + " high in " + std::to_string(ht));
    } else if (cls.rfind("RichEdit", 0) == 0) {
      size_t last = text.find_last_not_of("\r\n ");
      if (last != std::string::npos) {
        LRESULT pos = SendMessageA(h, EM_POSFROMCHAR, static_cast<WPARAM>(last), 0);
        int x = static_cast<short>(LOWORD(pos)), y = static_cast<short>(HIWORD(pos));
        if (x < 0 || y < 0 || x >= w || y + tm.tmHeight > ht)
          Bad(h, "last character at " + std::to_string(x) + "," + std::to_string(y) + " (line " +
                     std::to_string(tm.tmHeight) + " high) in " + std::to_string(w) + "x" + std::to_string(ht));
      }
    }
    SelectObject(dc, old);
    DeleteObject(font);
  }

  void Children(HWND parent) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (IsWindowVisible(c)) Control(c, parent);
  }
};

// The control's place in its parent's client area.
RECT PlaceOf(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int Num(const std::string& s) { return static_cast<int>(std::strtol(s.c_str(), nullptr, 10)); }

}  // namespace

bool RunFitCommand(const std::vector<std::string>& w) {
  const std::string& c = w[0];
  if (c == "fit") {
    if (!g_dialog) Fail("no current window");
    // After a WM_DPICHANGED the window's DPI is the one the script gave it.
    size_t i = 1;
    int dpi = w.size() > i && w[i] != "except" ? Num(w[i++]) : DpiOf(g_dialog);
    Checker k{GetDC(nullptr), dpi};
    if (w.size() > i && w[i] == "except")
      while (++i < w.size()) k.excepted.push_back(GetDlgCtrlID(Control(w[i])));
    k.Children(g_dialog);
    ReleaseDC(nullptr, k.dc);
    Expect(k.failures == 0, std::to_string(k.failures) + " controls do not fit at " + std::to_string(k.dpi) + " DPI");
  } else if (c == "fit-box") {
    if (!g_box) Fail("no current box");
    Checker k{GetDC(nullptr), DpiOf(g_box), true};
    k.Children(g_box);
    ReleaseDC(nullptr, k.dc);
    Expect(k.failures == 0, std::to_string(k.failures) + " controls of the box lie outside it");
  } else if (c == "dpi") {
    Need(w, 2);
    Expect(DpiOf(g_dialog) == Num(w[1]), "the window's DPI is " + std::to_string(DpiOf(g_dialog)));
  } else if (c == "client-size") {
    Need(w, 3);
    int dpi = w.size() > 3 ? Num(w[3]) : 96;
    RECT r;
    GetClientRect(g_dialog, &r);
    int ew = DesignScale(Num(w[1]), dpi), eh = DesignScale(Num(w[2]), dpi);
    Expect(r.right == ew && r.bottom == eh, "client area " + std::to_string(r.right) + "x" + std::to_string(r.bottom) +
                                                ", expected " + std::to_string(ew) + "x" + std::to_string(eh));
  } else if (c == "place") {
    Need(w, 6);
    int dpi = w.size() > 6 ? Num(w[6]) : 96;
    RECT r = PlaceOf(Control(w[1]));
    int e[4] = {DesignScale(Num(w[2]), dpi), DesignScale(Num(w[3]), dpi), DesignScale(Num(w[4]), dpi),
                DesignScale(Num(w[5]), dpi)};
    bool ok = r.left == e[0] && r.top == e[1] && (!e[2] || r.right - r.left == e[2]) &&
              (!e[3] || r.bottom - r.top == e[3]);
    Expect(ok, w[1] + " at " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                   std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + ", expected " +
                   std::to_string(e[0]) + "," + std::to_string(e[1]) + " " + std::to_string(e[2]) + "x" +
                   std::to_string(e[3]));
  } else if (c == "dpi-change") {
    Need(w, 4);
    int dpi = Num(w[1]);
    RECT now, client;
    GetWindowRect(g_dialog, &now);
    GetClientRect(g_dialog, &client);
    // What the system suggests: the same frame round a client scaled to the new DPI.
    int frameW = (now.right - now.left) - client.right, frameH = (now.bottom - now.top) - client.bottom;
    RECT want = {now.left, now.top, now.left + frameW + DesignScale(Num(w[2]), dpi),
                 now.top + frameH + DesignScale(Num(w[3]), dpi)};
    // The rectangle lies at one address in both processes, so the message
    // reaches the window whether the system copies it across or passes the
    // address on as it is.
    DWORD pid = 0;
    GetWindowThreadProcessId(g_dialog, &pid);
    HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    Expect(target != nullptr, "cannot open the window's process");
    void* at = nullptr;
    for (ULONG_PTR base = 0x10000000; !at && base < 0x7f000000; base += 0x1000000) {
      void* mine = VirtualAlloc(reinterpret_cast<void*>(base), 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
      if (!mine) continue;
      if (VirtualAllocEx(target, mine, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE) == mine) {
        at = mine;
      } else {
        VirtualFree(mine, 0, MEM_RELEASE);
      }
    }
    Expect(at != nullptr, "no address free in both processes");
    std::memcpy(at, &want, sizeof want);
    WriteProcessMemory(target, at, &want, sizeof want, nullptr);
    SendMessageA(g_dialog, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(at));
    VirtualFreeEx(target, at, 0, MEM_RELEASE);
    VirtualFree(at, 0, MEM_RELEASE);
    CloseHandle(target);
    Sleep(100);
    RECT got;
    GetWindowRect(g_dialog, &got);
    Expect(EqualRect(&got, &want), "the window did not take the suggested rectangle");
  } else {
    return false;
  }
  return true;
}
