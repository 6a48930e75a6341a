// The uninstall wizard's real window: places the controls, forwards events to TUninstWiz.
#include "uninstall/win32/uninst_dialog.h"

#include <richedit.h>

#include <exception>
#include <optional>

#include "app/constants.h"
#include "app/win32/application.h"
#include "app/win32/resource.h"
#include "app/win32/window_helpers.h"
#include "setup/win32/wait_dialog.h"
#include "sys/platform.h"
#include "uninstall/removal_steps.h"
#include "uninstall/uninst_form.h"
#include "uninstall/win32/uninst_ids.h"
#include "uninstall/win32/win32_uninst_view.h"

namespace pel {
namespace {

using C = UninstControl;

#define PEL_CHECK_ID(name) static_assert(IDC_##name == static_cast<int>(C::name), #name)
PEL_CHECK_ID(Panel1); PEL_CHECK_ID(Appname); PEL_CHECK_ID(Notebook); PEL_CHECK_ID(Label23);
PEL_CHECK_ID(RichEdit7); PEL_CHECK_ID(Label24); PEL_CHECK_ID(Label25); PEL_CHECK_ID(Label26);
PEL_CHECK_ID(AppEntries); PEL_CHECK_ID(MixEntries); PEL_CHECK_ID(RichEdit3); PEL_CHECK_ID(Label1);
PEL_CHECK_ID(Label2); PEL_CHECK_ID(RichEdit1); PEL_CHECK_ID(Memo1); PEL_CHECK_ID(Label4);
PEL_CHECK_ID(Label6); PEL_CHECK_ID(RichEdit2); PEL_CHECK_ID(BackBtn); PEL_CHECK_ID(NextBtn);
PEL_CHECK_ID(CancelBtn); PEL_CHECK_ID(Bevel1); PEL_CHECK_ID(OpenDirBtn); PEL_CHECK_ID(Label3);
PEL_CHECK_ID(OkBtn);
#undef PEL_CHECK_ID

constexpr int kNoPage = -1;
constexpr POINT kPageOrigin = {16 + 8, 16 + 8};  // Panel1, then Notebook inside it
// Fonts: headings Times New Roman 18 pt, texts MS Sans Serif 10 pt (pixels at 96 dpi).
constexpr int kHeadingPx = 24;
constexpr int kTextPx = 13;

// Pixel geometry of every control; page controls are relative to the page.
// A width of 0 sizes a label to its text.
constexpr ControlPlace kPlaces[] = {
    {IDC_BackBtn, kNoPage, 184, 272, 75, 25},   {IDC_NextBtn, kNoPage, 272, 272, 75, 25},
    {IDC_CancelBtn, kNoPage, 360, 272, 75, 25}, {IDC_Panel1, kNoPage, 16, 16, 425, 241},
    {IDC_Notebook, kNoPage, 24, 24, 409, 225},
    {IDC_Appname, 0, 16, 8, 377, 31},           {IDC_Label23, 0, 16, 44, 0, 0},
    {IDC_RichEdit7, 0, 16, 68, 377, 89},        {IDC_Label24, 0, 224, 196, 0, 0},
    {IDC_Label25, 1, 16, 8, 377, 31},           {IDC_Label26, 1, 16, 42, 0, 0},
    {IDC_AppEntries, 1, 32, 62, 0, 17},         {IDC_MixEntries, 1, 32, 82, 0, 17},
    {IDC_RichEdit3, 1, 6, 106, 400, 116},
    {IDC_Label1, 2, 16, 8, 377, 31},            {IDC_Label2, 2, 16, 44, 0, 0},
    {IDC_RichEdit1, 2, 16, 68, 377, 33},        {IDC_Memo1, 2, 16, 108, 377, 105},
    {IDC_Label4, 3, 16, 8, 377, 31},            {IDC_Label6, 3, 16, 44, 0, 0},
    {IDC_RichEdit2, 3, 16, 68, 377, 145},
};

struct UninstWindow;

// What the wizard calls outside itself, in this window.
class WindowHooks final : public UninstHooks {
 public:
  explicit WindowHooks(UninstWindow& w) : w_(w) {}
  bool WaitDialog(std::string_view caption, std::string_view message) override;
  void RunRemoval(TUninstWiz& wiz) override;
  void Sleep(int ms) override { ::Sleep(static_cast<DWORD>(ms)); }
  void CloseNow() override;

 private:
  UninstWindow& w_;
};

// Everything the dialog procedure needs for one modal run.
struct UninstWindow {
  std::optional<Win32UninstView> view;
  WindowHooks hooks{*this};  // outlives the form
  std::optional<TUninstWiz> form;
  std::optional<app::MessageOwnerScope> boxOwner;
  std::exception_ptr failure;  // escaped creation
  DialogFonts fonts;
  HICON icon = nullptr;
  HICON savedAppIcon = nullptr;
  HWND owner = nullptr;
  HWND hwnd = nullptr;
  Platform& platform = ActivePlatform();
};

bool WindowHooks::WaitDialog(std::string_view caption, std::string_view message) {
  return ShowWaitDialog(caption, message, w_.hwnd);
}

void WindowHooks::RunRemoval(TUninstWiz& wiz) {
  RemovalServices s{w_.platform, CurrentUi(), [](int ms) { ::Sleep(static_cast<DWORD>(ms)); },
                    [this](const Text& folder) { ShowManualDeleteNotice(folder, w_.hwnd); }};
  pel::RunRemoval(wiz, s);
}

void WindowHooks::CloseNow() { EndDialog(w_.hwnd, IDCANCEL); }

void Construct(HWND hwnd, UninstWindow& w) {
  PlaceControls(hwnd, kPlaces, kPageOrigin, 458, 305);
  for (int id : {IDC_Appname, IDC_Label25, IDC_Label1, IDC_Label4})
    w.fonts.Apply(hwnd, id, "Times New Roman", kHeadingPx);
  for (int id : {IDC_Label23, IDC_RichEdit7, IDC_Label24, IDC_Label26, IDC_AppEntries,
                 IDC_MixEntries, IDC_Label2, IDC_RichEdit1, IDC_Memo1, IDC_Label6, IDC_RichEdit2})
    w.fonts.Apply(hwnd, id, "MS Sans Serif", kTextPx);
  for (int id : {IDC_RichEdit7, IDC_RichEdit3, IDC_RichEdit1})
    SendDlgItemMessageA(hwnd, id, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_BTNFACE));
  // Both boxes start checked, as designed; creation then sets them as installed.
  SendDlgItemMessageA(hwnd, IDC_AppEntries, BM_SETCHECK, BST_CHECKED, 0);
  SendDlgItemMessageA(hwnd, IDC_MixEntries, BM_SETCHECK, BST_CHECKED, 0);
  AppendAboutItem(hwnd, TUninstWiz::AboutCommand, TUninstWiz::AboutItem.data());

  w.view.emplace(hwnd, kPlaces);
  w.form.emplace(*w.view, w.platform, w.hooks);
  w.form->Construct();
  AutoSizeLabels(hwnd, kPlaces, kPageOrigin);
  w.view->Focus(C::NextBtn);

  w.icon = LoadIconA(app::Instance(), MAKEINTRESOURCEA(IDI_PELMORA));
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(w.icon));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(w.icon));
  w.savedAppIcon = reinterpret_cast<HICON>(
      SendMessageA(w.owner, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(w.icon)));
}

void Close(HWND hwnd, UninstWindow& w) {
  if (!w.form->CloseRequest()) return;
  EndDialog(hwnd, IDCANCEL);
}

void Command(HWND hwnd, UninstWindow& w, int id, int code) {
  TUninstWiz& f = *w.form;
  switch (id) {
    case IDC_NextBtn: if (code == BN_CLICKED) f.NextBtnClick(); break;
    case IDC_BackBtn: if (code == BN_CLICKED) f.BackBtnClick(); break;
    case IDC_AppEntries: if (code == BN_CLICKED) f.AppEntriesClick(); break;
    case IDC_MixEntries: if (code == BN_CLICKED) f.MixEntriesClick(); break;
    case IDC_CancelBtn:
      // Esc while the button is disabled (during the run) does nothing.
      if (IsWindowEnabled(GetDlgItem(hwnd, IDC_CancelBtn))) Close(hwnd, w);
      break;
    default: break;
  }
}

INT_PTR CALLBACK UninstProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = reinterpret_cast<UninstWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    w = reinterpret_cast<UninstWindow*>(lp);
    w->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    w->boxOwner.emplace(hwnd);
    app::EndRunOnFailure(hwnd, w->failure, [&] { Construct(hwnd, *w); });
    return FALSE;  // focus was set by the wizard
  }
  if (!w) return FALSE;
  if (msg == WM_DESTROY) {
    if (w->owner) SendMessageA(w->owner, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(w->savedAppIcon));
    w->boxOwner.reset();
    return FALSE;
  }
  if (!w->form) return FALSE;
  // An exception in an event handler ends that handler only; the wizard stays open.
  return app::HandleEvent([&]() -> INT_PTR {
    switch (msg) {
      case WM_COMMAND: Command(hwnd, *w, LOWORD(wp), HIWORD(wp)); return TRUE;
      case WM_CLOSE: Close(hwnd, *w); return TRUE;
      case WM_SYSCOMMAND:
        if (w->form->SystemCommand(static_cast<int>(wp))) {
          SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
          return TRUE;
        }
        return FALSE;
      default: return FALSE;
    }
  });
}

}  // namespace

void RunUninstallWizard(HWND owner) {
  UninstWindow w;
  w.owner = owner;
  DialogBoxParamA(app::Instance(), MAKEINTRESOURCEA(IDD_UNINST), owner, UninstProc,
                  reinterpret_cast<LPARAM>(&w));
  if (w.failure) std::rethrow_exception(w.failure);
}

}  // namespace pel
