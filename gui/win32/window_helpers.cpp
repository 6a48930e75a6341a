// Small Win32 helpers the wizards' dialogs share: exact placement, pages, fonts, rich text.
#include "app/win32/window_helpers.h"

#include <richedit.h>

namespace pel {
namespace {

RECT PlaceRect(const ControlPlace& p, POINT origin) {
  int x = p.page < 0 ? p.x : origin.x + p.x;
  int y = p.page < 0 ? p.y : origin.y + p.y;
  return {x, y, x + p.w, y + p.h};
}

bool IsCheckBox(HWND control) {
  char cls[16] = "";
  GetClassNameA(control, cls, sizeof cls);
  if (lstrcmpiA(cls, "Button") != 0) return false;
  LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_AUTOCHECKBOX || type == BS_CHECKBOX;
}

}  // namespace

void PlaceControls(HWND dlg, std::span<const ControlPlace> places, POINT pageOrigin, int clientW,
                   int clientH) {
  RECT r = {0, 0, clientW, clientH};
  AdjustWindowRectEx(&r, GetWindowLongA(dlg, GWL_STYLE), FALSE, GetWindowLongA(dlg, GWL_EXSTYLE));
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  SetWindowPos(dlg, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlPlace& p : places) PlaceControl(dlg, p, pageOrigin);
}

void PlaceControl(HWND dlg, const ControlPlace& p, POINT pageOrigin) {
  HWND control = GetDlgItem(dlg, p.id);
  if (!control) return;  // a page not made yet
  RECT c = PlaceRect(p, pageOrigin);
  if (p.w == 0 || p.h == 0) {
    RECT now;
    GetWindowRect(control, &now);
    if (p.w == 0) c.right = c.left + (now.right - now.left);
    if (p.h == 0) c.bottom = c.top + (now.bottom - now.top);
  }
  MoveWindow(control, c.left, c.top, c.right - c.left, c.bottom - c.top, FALSE);
}

void AutoSizeLabels(HWND dlg, std::span<const ControlPlace> places, POINT pageOrigin) {
  // One device context for all: each one taken costs the display a round trip.
  HDC dc = GetDC(dlg);
  HGDIOBJ original = GetCurrentObject(dc, OBJ_FONT);
  for (const ControlPlace& p : places) {
    if (p.w != 0 && p.h != 0) continue;
    HWND control = GetDlgItem(dlg, p.id);
    if (!control) continue;  // a page not made yet
    Text text = ControlText(control);
    HGDIOBJ font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    SelectObject(dc, font ? font : original);  // none: the system font, as in its own context
    RECT m = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &m, DT_CALCRECT | DT_SINGLELINE);
    if (IsCheckBox(control)) m.right += GetSystemMetrics(SM_CXMENUCHECK) + 8;
    RECT c = PlaceRect(p, pageOrigin);
    int w = p.w ? p.w : m.right;
    int h = p.h ? p.h : m.bottom;
    MoveWindow(control, c.left, c.top, w, h, FALSE);
  }
  SelectObject(dc, original);
  ReleaseDC(dlg, dc);
}

const ControlPlace* FindPlace(std::span<const ControlPlace> places, int id) {
  for (const ControlPlace& p : places)
    if (p.id == id) return &p;
  return nullptr;
}

void ShowPageControls(HWND dlg, std::span<const ControlPlace> places, int page) {
  for (const ControlPlace& p : places)
    if (HWND control = p.page >= 0 ? GetDlgItem(dlg, p.id) : nullptr)
      ShowWindow(control, p.page == page ? SW_SHOW : SW_HIDE);
}

Text ControlText(HWND control) {
  int n = GetWindowTextLengthA(control);
  Text t(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(control, t.data(), n + 1);
  t.resize(static_cast<size_t>(n > 0 ? n : 0));
  return t;
}

void SetControlText(HWND control, std::string_view text) {
  Text t(text);
  SetWindowTextA(control, t.c_str());
}

void AppendRichLine(HWND richEdit, std::string_view line) {
  Text t = (GetWindowTextLengthA(richEdit) > 0 ? "\r\n" : "") + Text(line);
  int end = GetWindowTextLengthA(richEdit);
  SendMessageA(richEdit, EM_SETSEL, end, end);
  SendMessageA(richEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(t.c_str()));
}

void SetRichTextColor(HWND richEdit, COLORREF color) {
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_COLOR;
  cf.crTextColor = color;
  SendMessageA(richEdit, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf));
}

INT_PTR ColorControl(WPARAM dc, COLORREF text, int background) {
  HDC hdc = reinterpret_cast<HDC>(dc);
  SetTextColor(hdc, text);
  SetBkColor(hdc, GetSysColor(background));
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(background));
}

void AppendAboutItem(HWND dlg, int command, const char* text) {
  HMENU menu = GetSystemMenu(dlg, FALSE);
  int count = GetMenuItemCount(menu);
  MENUITEMINFOA sep = {};
  sep.cbSize = sizeof sep;
  sep.fMask = MIIM_FTYPE;
  sep.fType = MFT_SEPARATOR;
  InsertMenuItemA(menu, count, TRUE, &sep);
  MENUITEMINFOA item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
  item.fType = MFT_STRING;
  item.wID = static_cast<UINT>(command);
  item.dwTypeData = const_cast<char*>(text);
  InsertMenuItemA(menu, count + 1, TRUE, &item);
}

DialogFonts::~DialogFonts() {
  for (HFONT f : fonts_) DeleteObject(f);
}

void DialogFonts::Apply(HWND dlg, int id, const char* face, int pixelHeight) {
  HFONT f = CreateFontA(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, face);
  fonts_.push_back(f);
  SendDlgItemMessageA(dlg, id, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
}

}  // namespace pel
