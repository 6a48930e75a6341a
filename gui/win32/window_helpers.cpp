// Small Win32 helpers the wizards' windows share: placing and fonts at the display's scaling, pages, rich text.
#include "gui/win32/window_helpers.h"

#include <richedit.h>

#include "gui/scale.h"

namespace pel {
namespace {

// The templates' font: every dialog of the program is drawn in it.
constexpr const char* kDialogFace = "MS Sans Serif";
constexpr int kDialogPoints = 8;
// The system's outline face drawn like it, at any size.
constexpr const char* kOutlineFace = "Microsoft Sans Serif";
// Where a control tells which font it was given, for those that look at
// it from outside the program (the fit checks of the end-to-end tests): the
// face as a global atom, the character height in pixels and the precision it
// was asked with (outline only, or any).
constexpr const char* kFaceProp = "FontFace";
constexpr const char* kHeightProp = "FontHeight";
constexpr const char* kPrecisionProp = "FontPrecision";

bool IsCheckBox(HWND control) {
  char cls[16] = "";
  GetClassNameA(control, cls, sizeof cls);
  if (lstrcmpiA(cls, "Button") != 0) return false;
  LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_AUTOCHECKBOX || type == BS_CHECKBOX;
}

template <class F>
F UserCall(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

HFONT CreateFace(const char* face, int pixelHeight, DWORD precision) {
  return CreateFontA(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, precision,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

struct Measure {
  int em = 0;     // the characters' height, without their accents' room
  int width = 0;  // their average width
  bool outline = false;
};
Measure MeasureFont(HDC dc, HFONT f) {
  HGDIOBJ old = SelectObject(dc, f);
  TEXTMETRICA tm = {};
  bool measured = GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  if (!measured) return {};
  return {tm.tmHeight - tm.tmInternalLeading, tm.tmAveCharWidth, (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0};
}

bool Near(int v, int want, int slack) { return v >= want - slack && v <= want + slack; }

// The face at that character height. An outline face scales as it is asked.
// A face drawn in fixed bitmap sizes (the templates' own is one) comes in the
// sizes of the system's scaling only, and its larger sizes are not its small
// ones enlarged: when what comes is not the design's proportions (those of
// the template's font the dialog manager made at the system's scaling, ref)
// at the height asked, the system's outline face is taken instead, no wider
// than those proportions allow (a little lower, where it is a wider face),
// so that the window's texts keep the design's line breaks on any display.
HFONT MakeFont(HDC dc, const char* face, int pixelHeight, Measure ref) {
  HFONT f = CreateFace(face, pixelHeight, OUT_DEFAULT_PRECIS);
  if (!f || !dc) return f;
  Measure m = MeasureFont(dc, f);
  if (m.em <= 0 || m.outline) return f;
  int width = ref.em > 0 ? gui::MulDivRound(ref.width, pixelHeight, ref.em) : m.width;
  if (Near(m.em, pixelHeight, 1) && Near(m.width, width, width / 16 + 1)) return f;
  HFONT outline = CreateFace(kOutlineFace, pixelHeight, OUT_TT_ONLY_PRECIS);
  if (!outline) return f;
  DeleteObject(f);
  // Rich text keeps a font's face and height only, so the outline face is
  // fitted by its height, not squeezed.
  int outlineWidth = MeasureFont(dc, outline).width;
  if (outlineWidth > width && width > 0) {
    if (HFONT lower = CreateFace(kOutlineFace, pixelHeight * width / outlineWidth, OUT_TT_ONLY_PRECIS)) {
      DeleteObject(outline);
      outline = lower;
    }
  }
  return outline;
}

void Record(HWND control, HFONT font) {
  LOGFONTA lf = {};
  if (!GetObjectA(font, sizeof lf, &lf)) return;
  SetPropA(control, kFaceProp, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GlobalAddAtomA(lf.lfFaceName))));
  SetPropA(control, kHeightProp, reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight)));
  SetPropA(control, kPrecisionProp, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(lf.lfOutPrecision)));
}

}  // namespace

int WindowDpi(HWND hwnd) {
  // Known only where the system scales per display (10 and later).
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  if (auto forWindow = UserCall<GetDpiForWindowFn>("GetDpiForWindow"))
    if (UINT dpi = forWindow(hwnd)) return gui::UsableDpi(static_cast<int>(dpi));
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return gui::UsableDpi(dpi);
}

void DisableSystemDialogScaling(HWND dlg) {
  using Fn = BOOL(WINAPI*)(HWND, int, int);
  constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
  if (auto set = UserCall<Fn>("SetDialogDpiChangeBehavior")) set(dlg, kDisableAll, kDisableAll);
}

void SizeClient(HWND dlg, SIZE client, int dpi, bool centre) {
  RECT r = {0, 0, gui::Scale(client.cx, dpi), gui::Scale(client.cy, dpi)};
  DWORD style = GetWindowLongA(dlg, GWL_STYLE), exStyle = GetWindowLongA(dlg, GWL_EXSTYLE);
  // The frame around the client area is the display's, at its own scaling.
  using Fn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  auto forDpi = UserCall<Fn>("AdjustWindowRectExForDpi");
  if (!forDpi || !forDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (centre) {
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    SetWindowPos(dlg, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetWindowPos(dlg, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void PlaceControls(HWND parent, std::span<const ControlPlace> places, int page, int dpi) {
  for (const ControlPlace& p : places) {
    if (p.page != page) continue;
    HWND control = GetDlgItem(parent, p.id);
    if (!control) continue;
    RECT now;
    GetWindowRect(control, &now);
    // A label sized to its text keeps that size until it is measured again.
    int w = p.w ? gui::Scale(p.w, dpi) : now.right - now.left;
    int h = p.h ? gui::Scale(p.h, dpi) : now.bottom - now.top;
    MoveWindow(control, gui::Scale(p.x, dpi), gui::Scale(p.y, dpi), w, h, FALSE);
  }
}

const ControlPlace* FindPlace(std::span<const ControlPlace> places, int id) {
  for (const ControlPlace& p : places)
    if (p.id == id) return &p;
  return nullptr;
}

DialogFonts::~DialogFonts() { Release(); }

void DialogFonts::Release() {
  for (int i = 0; i < count_; ++i) DeleteObject(given_[i].font);
  count_ = 0;
  if (ownDialog_) DeleteObject(dialog_);
  dialog_ = nullptr;
  ownDialog_ = false;
}

void DialogFonts::Make(HWND dlg, int dpi, std::span<const ControlFont> fonts) {
  HDC dc = GetDC(nullptr);
  // The design's proportions: the template's font as the dialog manager made it.
  auto templateFont = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
  Measure ref = dc && templateFont ? MeasureFont(dc, templateFont) : Measure{};
  Given old[kMaxFonts];
  int oldCount = count_;
  for (int i = 0; i < count_; ++i) old[i] = given_[i];
  count_ = 0;
  HFONT oldDialog = ownDialog_ ? dialog_ : nullptr;
  if (HFONT made = MakeFont(dc, kDialogFace, gui::PointsToPixels(kDialogPoints, dpi), ref)) {
    dialog_ = made;
    ownDialog_ = true;
  } else if (oldDialog) {
    oldDialog = nullptr;  // kept: the last size that could be made
  } else {
    // The font the dialog manager made from the template, which the dialog keeps.
    dialog_ = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
    ownDialog_ = false;
  }
  for (const ControlFont& f : fonts) {
    if (count_ == kMaxFonts) break;
    // Only the template's face has the template font's proportions.
    Measure proportions = lstrcmpiA(f.face, kDialogFace) == 0 ? ref : Measure{};
    if (HFONT h = MakeFont(dc, f.face, gui::Scale(f.pixelHeight, dpi), proportions)) given_[count_++] = {f.id, h};
  }
  if (dc) ReleaseDC(nullptr, dc);
  Apply(dlg);
  for (int i = 0; i < oldCount; ++i) DeleteObject(old[i].font);
  if (oldDialog) DeleteObject(oldDialog);
}

HFONT DialogFonts::For(int id) const {
  for (int i = 0; i < count_; ++i)
    if (given_[i].id == id) return given_[i].font;
  return dialog_;
}

void DialogFonts::Apply(HWND parent) const {
  if (!dialog_) return;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[8] = "";
    GetClassNameA(c, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0) {  // a page: its controls
      Apply(c);
      continue;
    }
    HFONT f = For(GetDlgCtrlID(c));
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
    Record(c, f);
  }
}

void AutoSizeLabels(HWND parent, std::span<const ControlPlace> places, int page, int dpi,
                    const DialogFonts& fonts) {
  // One device context for all: each one taken costs the display a round trip.
  HDC dc = GetDC(parent);
  HGDIOBJ original = GetCurrentObject(dc, OBJ_FONT);
  int systemDpi = GetDeviceCaps(dc, LOGPIXELSY);
  for (const ControlPlace& p : places) {
    if (p.page != page || (p.w != 0 && p.h != 0)) continue;
    HWND control = GetDlgItem(parent, p.id);
    if (!control) continue;
    Text text = ControlText(control);
    HFONT font = fonts.For(p.id);
    SelectObject(dc, font ? font : original);  // none: the system font, as in its own context
    RECT m = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &m, DT_CALCRECT | DT_SINGLELINE);
    // The box is drawn at the display's scaling; its metric is the system's.
    if (IsCheckBox(control))
      m.right += gui::MulDivRound(GetSystemMetrics(SM_CXMENUCHECK), dpi, systemDpi) + gui::Scale(8, dpi);
    int w = p.w ? gui::Scale(p.w, dpi) : m.right;
    int h = p.h ? gui::Scale(p.h, dpi) : m.bottom;
    MoveWindow(control, gui::Scale(p.x, dpi), gui::Scale(p.y, dpi), w, h, FALSE);
  }
  SelectObject(dc, original);
  ReleaseDC(parent, dc);
}

void LayOutDialog(HWND dlg, const DialogDesign& design, int dpi, DialogFonts& fonts) {
  fonts.Make(dlg, dpi, design.fonts);
  SizeClient(dlg, design.client, dpi, true);
  PlaceControls(dlg, design.places, kOnWindow, dpi);
  AutoSizeLabels(dlg, design.places, kOnWindow, dpi, fonts);
}

int TakeDpiChange(HWND dlg, const DialogDesign& design, DialogFonts& fonts, WPARAM wp, LPARAM lp) {
  const RECT* r = reinterpret_cast<const RECT*>(lp);
  if (!r) return 0;
  int dpi = gui::UsableDpi(HIWORD(wp));
  fonts.Make(dlg, dpi, design.fonts);
  SetWindowPos(dlg, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls(dlg, design.places, kOnWindow, dpi);
  AutoSizeLabels(dlg, design.places, kOnWindow, dpi, fonts);
  RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  return dpi;
}

void SetWindowIcons(HWND hwnd, HINSTANCE instance, int iconId, int dpi) {
  // The task bar's and the caption's sizes at the display's scaling: the
  // icon file carries 16, 24, 32 and 48, and the nearest is taken.
  auto load = [&](int design) {
    int px = gui::Scale(design, dpi);
    return reinterpret_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, px, px, LR_SHARED));
  };
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(load(32)));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(load(16)));
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

}  // namespace pel
