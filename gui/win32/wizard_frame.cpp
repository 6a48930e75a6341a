// The one wizard window both wizards run in: frame, pages made when first needed, scaling to the display.
#include "gui/win32/wizard_frame.h"

#include <richedit.h>

#include "gui/scale.h"

namespace pel {
namespace {

// Makes the pages not shown yet, once the first is drawn.
constexpr UINT_PTR kMakePagesTimer = 1;

}  // namespace

WizardRun WizardFrame::Run(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  owner_ = owner;
  INT_PTR r = DialogBoxParamA(instance, MAKEINTRESOURCEA(design_.frameTemplate), owner, FrameProc,
                              reinterpret_cast<LPARAM>(this));
  if (r == -1 && !hwnd_) return WizardRun::NotMade;
  return result_;
}

void WizardFrame::EndRun() { EndDialog(hwnd_, IDCANCEL); }

INT_PTR CALLBACK WizardFrame::FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* f = reinterpret_cast<WizardFrame*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    f = reinterpret_cast<WizardFrame*>(lp);
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    if (!f->Init(hwnd)) EndDialog(hwnd, -1);
    return FALSE;  // the wizard set the focus
  }
  return f ? f->Handle(msg, wp, lp) : FALSE;
}

// A page passes what its controls tell on to the window, which the wizard
// answers as if the controls were its own.
INT_PTR CALLBACK WizardFrame::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) return FALSE;
  if (msg == WM_COMMAND || msg == WM_NOTIFY) {
    HWND frame = GetParent(hwnd);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, SendMessageA(frame, msg, wp, lp));
    return TRUE;
  }
  return FALSE;
}

bool WizardFrame::Init(HWND hwnd) {
  hwnd_ = hwnd;
  dpi_ = WindowDpi(hwnd);
  // The window lays itself out again when it changes display; the system's
  // own rescaling of dialogs would do it a second time.
  DisableSystemDialogScaling(hwnd);
  fonts_.Make(hwnd, dpi_, design_.layout.fonts);
  SizeClient(hwnd, design_.layout.client, dpi_, true);
  LayOut();
  for (int id : design_.richEdits)
    if (HWND c = GetDlgItem(hwnd, id)) SendMessageA(c, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_BTNFACE));
  for (int id : design_.checked)
    if (HWND c = GetDlgItem(hwnd, id)) SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);
  AppendAboutItem(hwnd, design_.aboutCommand, design_.aboutItem);
  if (!pages_.Construct(*this)) {
    result_ = WizardRun::Refused;
    return false;
  }
  // The controls' texts are the wizard's now: labels take their size from them.
  AutoSizeLabels(hwnd, design_.layout.places, kOnWindow, dpi_, fonts_);
  for (int p = 0; p < static_cast<int>(design_.pageTemplates.size()); ++p)
    if (page_[p]) AutoSizeLabels(page_[p], design_.layout.places, p, dpi_, fonts_);

  // The task bar shows the wizard's icon while it is open, at the sizes the
  // display asks for.
  SetWindowIcons(hwnd, instance_, design_.icon, dpi_);
  if (owner_)
    ownerIcon_ = reinterpret_cast<HICON>(
        SendMessageA(owner_, WM_SETICON, ICON_BIG, SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0)));
  return true;
}

INT_PTR WizardFrame::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SHOWWINDOW:
      if (wp && !shown_) {
        shown_ = true;
        if (!pages_.Shown()) {
          result_ = WizardRun::Refused;
          EndDialog(hwnd_, IDCANCEL);
          return FALSE;
        }
        // The pages not shown yet are made once the first is drawn: a timer
        // comes after the paint. Anything that needs one sooner makes it then.
        SetTimer(hwnd_, kMakePagesTimer, USER_TIMER_MINIMUM, nullptr);
      }
      return FALSE;
    case WM_TIMER:
      if (wp != kMakePagesTimer) return FALSE;
      KillTimer(hwnd_, kMakePagesTimer);
      MakeAllPages();
      return TRUE;
    case WM_COMMAND:
    case WM_CLOSE:
      pages_.Event(msg, wp, lp);
      return TRUE;
    case WM_SYSCOMMAND:
      if (!pages_.Event(msg, wp, lp)) return FALSE;
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, 0);
      return TRUE;
    case WM_SETCURSOR:
      if (!pages_.Busy()) return FALSE;
      SetCursor(LoadCursorA(nullptr, IDC_WAIT));
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_DPICHANGED:
      if (!lp) return FALSE;
      OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return TRUE;
    case WM_DESTROY:
      if (owner_) SendMessageA(owner_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ownerIcon_));
      pages_.Destroying();
      return FALSE;
    default: return FALSE;
  }
}

HWND WizardFrame::Control(int id) {
  const ControlPlace* p = FindPlace(design_.layout.places, id);
  if (!p) return GetDlgItem(hwnd_, id);
  if (p->page < 0) return GetDlgItem(hwnd_, id);
  return MakePage(p->page) ? GetDlgItem(page_[p->page], id) : nullptr;
}

// A page is a child dialog of its own template: the platform's dialog
// manager makes its controls, in template order, the first time it is needed.
bool WizardFrame::MakePage(int page) {
  if (page < 0 || page >= static_cast<int>(design_.pageTemplates.size()) || page >= kMaxPages) return false;
  if (page_[page]) return true;
  HWND h = CreateDialogParamA(instance_, MAKEINTRESOURCEA(design_.pageTemplates[page]), hwnd_, PageProc, 0);
  if (!h) return false;
  page_[page] = h;
  // In tab order the page stands where its controls stood in the window's
  // design: right after the notebook label.
  SetWindowPos(h, GetDlgItem(hwnd_, design_.notebook), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  fonts_.Apply(h);
  LayOutPage(page);
  for (int id : design_.richEdits)
    if (HWND c = GetDlgItem(h, id)) SendMessageA(c, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_BTNFACE));
  for (int id : design_.checked)
    if (HWND c = GetDlgItem(h, id)) SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);
  return true;
}

void WizardFrame::MakeAllPages() {
  for (int p = 0; p < static_cast<int>(design_.pageTemplates.size()); ++p) MakePage(p);
}

void WizardFrame::ShowPage(int page) {
  MakePage(page);
  for (int p = 0; p < static_cast<int>(design_.pageTemplates.size()); ++p)
    if (page_[p]) ShowWindow(page_[p], p == page ? SW_SHOW : SW_HIDE);
  if (page >= 0 && page < static_cast<int>(design_.pageNames.size()))
    SetDlgItemTextA(hwnd_, design_.notebook, design_.pageNames[page]);
}

void WizardFrame::LayOut() {
  PlaceControls(hwnd_, design_.layout.places, kOnWindow, dpi_);
  AutoSizeLabels(hwnd_, design_.layout.places, kOnWindow, dpi_, fonts_);
  for (int p = 0; p < static_cast<int>(design_.pageTemplates.size()); ++p)
    if (page_[p]) LayOutPage(p);
}

void WizardFrame::LayOutPage(int page) {
  // The page fills the notebook label's place.
  const ControlPlace* nb = FindPlace(design_.layout.places, design_.notebook);
  if (nb)
    MoveWindow(page_[page], gui::Scale(nb->x, dpi_), gui::Scale(nb->y, dpi_), gui::Scale(nb->w, dpi_),
               gui::Scale(nb->h, dpi_), FALSE);
  PlaceControls(page_[page], design_.layout.places, page, dpi_);
  AutoSizeLabels(page_[page], design_.layout.places, page, dpi_, fonts_);
}

void WizardFrame::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = gui::UsableDpi(dpi);
  // New fonts first: labels are measured with them.
  fonts_.Make(hwnd_, dpi_, design_.layout.fonts);
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND p : page_)
    if (p) fonts_.Apply(p);
  LayOut();
  SetWindowIcons(hwnd_, instance_, design_.icon, dpi_);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

}  // namespace pel
