// The setup wizard's real window: places the controls, forwards events to TSetupForm.
#include "setup/win32/setup_dialog.h"

#include <richedit.h>

#include <exception>
#include <optional>

#include <shlobj.h>

#include "app/constants.h"
#include "app/win32/application.h"
#include "app/win32/deferred_controls.h"
#include "app/win32/window_helpers.h"
#include "setup/foreign_files.h"
#include "setup/install_driver.h"
#include "setup/previous_install.h"
#include "setup/setup_form.h"
#include "setup/store_access.h"
#include "setup/win32/browse_dialog.h"
#include "setup/win32/setup_ids.h"
#include "setup/win32/wait_dialog.h"
#include "store/store_ops.h"
#include "sys/paths.h"
#include "sys/action_log.h"
#include "sys/platform.h"
#include "sys/services.h"

namespace pel {
namespace {

using C = SetupControl;

#define PEL_CHECK_ID(name) static_assert(IDC_##name == static_cast<int>(C::name), #name)
PEL_CHECK_ID(Panel1); PEL_CHECK_ID(Appname); PEL_CHECK_ID(Notebook1); PEL_CHECK_ID(Copyright);
PEL_CHECK_ID(RichEdit1); PEL_CHECK_ID(Label4); PEL_CHECK_ID(AppDIR); PEL_CHECK_ID(BrowseBtn);
PEL_CHECK_ID(GroupBox); PEL_CHECK_ID(Label6); PEL_CHECK_ID(RichEdit2); PEL_CHECK_ID(Label3);
PEL_CHECK_ID(EAddr); PEL_CHECK_ID(Label2); PEL_CHECK_ID(Host); PEL_CHECK_ID(Label7);
PEL_CHECK_ID(RichEdit4); PEL_CHECK_ID(Label8); PEL_CHECK_ID(RichEdit3); PEL_CHECK_ID(Label5);
PEL_CHECK_ID(RichEdit6); PEL_CHECK_ID(RunPelmoraBox); PEL_CHECK_ID(RichEdit5);
PEL_CHECK_ID(BackBtn); PEL_CHECK_ID(NextBtn); PEL_CHECK_ID(CancelBtn);
#undef PEL_CHECK_ID

constexpr int kNoPage = -1;
constexpr POINT kPageOrigin = {16 + 8, 16 + 36};  // Panel1, then Notebook1 inside it
constexpr const char* kPageNames[] = {"Start", "Address", "Review", "Done"};

// Pixel geometry of every control; page controls are relative to the page.
// A width of 0 sizes a label to its text.
constexpr ControlPlace kPlaces[] = {
    {IDC_Panel1, kNoPage, 16, 16, 425, 241},     {IDC_Appname, kNoPage, 36, 22, 389, 31},
    {IDC_Notebook1, kNoPage, 24, 52, 409, 195},
    {IDC_Copyright, 0, 16, 0, 0, 0},            {IDC_RichEdit1, 0, 16, 24, 377, 41},
    {IDC_Label4, 0, 16, 80, 0, 0},              {IDC_AppDIR, 0, 16, 96, 249, 21},
    {IDC_BrowseBtn, 0, 268, 96, 65, 22},        {IDC_GroupBox, 0, 16, 140, 0, 17},
    {IDC_Label6, 1, 16, 0, 0, 0},               {IDC_RichEdit2, 1, 16, 24, 377, 49},
    {IDC_Label3, 1, 16, 80, 0, 0},              {IDC_EAddr, 1, 16, 96, 329, 21},
    {IDC_Label2, 1, 16, 124, 0, 0},             {IDC_Host, 1, 16, 140, 217, 21},
    {IDC_Label7, 2, 16, 0, 0, 0},               {IDC_RichEdit4, 2, 16, 24, 377, 33},
    {IDC_Label8, 2, 16, 64, 0, 0},              {IDC_RichEdit3, 2, 16, 80, 377, 105},
    {IDC_Label5, 3, 16, 0, 0, 0},               {IDC_RichEdit6, 3, 16, 40, 377, 41},
    {IDC_RunPelmoraBox, 3, 296, 168, 0, 17},    {IDC_RichEdit5, 3, 32, 96, 313, 49},
    {IDC_BackBtn, kNoPage, 184, 272, 75, 25},   {IDC_NextBtn, kNoPage, 272, 272, 75, 25},
    {IDC_CancelBtn, kNoPage, 360, 272, 75, 25},
};

struct ControlFont {
  int id;
  const char* face;
  int pixelHeight;
};
constexpr ControlFont kFonts[] = {{IDC_Appname, "Times New Roman", 27},
                                  {IDC_Label5, "Times New Roman", 21},
                                  {IDC_RichEdit6, "MS Sans Serif", 13},
                                  {IDC_RichEdit5, "MS Sans Serif", 13}};
constexpr int kRichEdits[] = {IDC_RichEdit1, IDC_RichEdit2, IDC_RichEdit3,
                              IDC_RichEdit4, IDC_RichEdit5, IDC_RichEdit6};
constexpr int kCheckedBoxes[] = {IDC_GroupBox, IDC_RunPelmoraBox};
constexpr UINT_PTR kMakePagesTimer = 1;

bool OneOf(std::span<const int> ids, int id) {
  for (int i : ids)
    if (i == id) return true;
  return false;
}

// What the designer set on a control beyond its template and its place:
// font, background, check.
void ApplyDesign(HWND hwnd, DialogFonts& fonts, std::span<const int> ids) {
  for (const ControlFont& f : kFonts)
    if (OneOf(ids, f.id)) fonts.Apply(hwnd, f.id, f.face, f.pixelHeight);
  for (int id : ids) {
    if (OneOf(kRichEdits, id)) SendDlgItemMessageA(hwnd, id, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_BTNFACE));
    if (OneOf(kCheckedBoxes, id)) SendDlgItemMessageA(hwnd, id, BM_SETCHECK, BST_CHECKED, 0);
  }
}

class Win32SetupView final : public SetupView {
 public:
  Win32SetupView(HWND hwnd, DeferredControls& controls, DialogFonts& fonts)
      : hwnd_(hwnd), controls_(controls), fonts_(fonts) {}

  // A page's controls come into being the first time it, or one of them, is needed.
  void MakePage(int page) const {
    int made[DeferredControls::kMaxItems];
    int n = controls_.Make(hwnd_, page, made);
    if (n == 0) return;
    std::span<const int> ids(made, static_cast<size_t>(n));
    for (int id : ids)
      if (const ControlPlace* p = FindPlace(kPlaces, id)) PlaceControl(hwnd_, *p, kPageOrigin);
    ApplyDesign(hwnd_, fonts_, ids);
    // Sizing again the labels there were gives each the size it has: none
    // changes its text once the wizard is built.
    AutoSizeLabels(hwnd_, kPlaces, kPageOrigin);
  }

  void ShowPage(int index) override {
    MakePage(index);
    ShowPageControls(hwnd_, kPlaces, index);
    SetDlgItemTextA(hwnd_, IDC_Notebook1, kPageNames[index]);
  }
  Text GetText(C c) const override { return ControlText(Item(c)); }
  void SetText(C c, std::string_view text) override { SetControlText(Item(c), text); }
  bool IsChecked(C c) const override {
    return SendMessageA(Item(c), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void SetChecked(C c, bool on) override {
    SendMessageA(Item(c), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  bool IsEnabled(C c) const override { return IsWindowEnabled(Item(c)); }
  void SetEnabled(C c, bool on) override { EnableWindow(Item(c), on); }
  void Focus(C c) override { SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(c)), TRUE); }
  void SelectAll(C c) override { SendMessageA(Item(c), EM_SETSEL, 0, -1); }
  void ClearLines(C c) override { SetWindowTextA(Item(c), ""); }
  void AddLine(C c, std::string_view line) override { AppendRichLine(Item(c), line); }
  void SetTextColor(C c, uint32_t bgr) override { SetRichTextColor(Item(c), bgr); }
  void SetBusyCursor(bool on) override {
    busy_ = on;
    SetCursor(LoadCursorA(nullptr, on ? IDC_WAIT : IDC_ARROW));
  }
  bool Busy() const { return busy_; }
  MsgAnswer Ask(std::string_view text, std::string_view caption, MsgButtons buttons) override {
    return app::ShowBox(hwnd_, text, caption, buttons);
  }

 private:
  // One call at each use: inlined there it would copy the making of pages.
  [[gnu::noinline]] HWND Item(C c) const {
    MakePage(controls_.PageOf(static_cast<int>(c)));
    return GetDlgItem(hwnd_, static_cast<int>(c));
  }
  HWND hwnd_;
  DeferredControls& controls_;
  DialogFonts& fonts_;
  bool busy_ = false;
};

struct SetupWindow;

// What the wizard calls outside itself, in this window.
class WindowHooks final : public SetupHooks {
 public:
  explicit WindowHooks(SetupWindow& w) : w_(w) {}
  Text ReadVersion() override;
  void ReadPrevious() override;
  bool RunInstall() override;
  Text BrowseForFolder(const Text&) override;
  void Beep() override;
  Text ForeignFile(const Text& folder) override;
  Text DistributionRefusal() override;
  void Closing(const Text& folder, bool start) override;

 private:
  SetupWindow& w_;
};

// Everything the dialog procedure needs for one modal run.
struct SetupWindow {
  // The window opens with the shared controls and Start's; the rest follow.
  DeferredControls controls{app::Instance(), IDD_SETUP, kPlaces, StartPage};
  DialogFonts fonts;
  std::optional<Win32SetupView> view;
  WindowHooks hooks{*this};  // outlives the form
  std::optional<TSetupForm> form;
  std::exception_ptr failure;  // escaped construction or the first show
  // Boxes of the steps and the store, and the exception box, are the wizard's
  // own: it stays disabled under them whatever window is active.
  std::optional<app::MessageOwnerScope> boxOwner;
  HICON icon = nullptr;
  HICON savedAppIcon = nullptr;
  HWND owner = nullptr;
  HWND hwnd = nullptr;
  bool shown = false;
  InstallServices services{ActivePlatform(), DiskStore(), CurrentUi(), OwnPaths().ownStorePath,
                           SystemProgramsFolder, LocalDate, &ProcessLog(),
                           [](int ms) { Sleep(static_cast<DWORD>(ms)); }, true};
};

Text WindowHooks::ReadVersion() {
  return ReadSetting("Version", "", WithTrailingBackslash(w_.form->SourceFolder()) + w_.form->SettingsName());
}

void WindowHooks::ReadPrevious() {
  ReadPreviousInstall(*w_.form, w_.services.platform.registry);
  ReadPreviousAddress(*w_.form, w_.services.platform.files, w_.services.store);
}

bool WindowHooks::RunInstall() {
  return pel::RunInstall(*w_.form, w_.services, [this](std::string_view caption, std::string_view message) {
    return ShowWaitDialog(caption, message, w_.hwnd);
  });
}

Text WindowHooks::BrowseForFolder(const Text&) { return pel::BrowseForFolder(w_.hwnd, ""); }

void WindowHooks::Beep() { SystemBeep(w_.services.platform.shell, 0); }

Text WindowHooks::ForeignFile(const Text& folder) {
  return FindForeignFile(w_.services.platform.files, w_.services.platform.registry, folder,
                         w_.form->SourceFolder());
}

Text WindowHooks::DistributionRefusal() {
  return MissingProgramMessage(w_.services.platform.files, w_.form->SourceFolder(), w_.form->ExeName());
}

void WindowHooks::Closing(const Text& folder, bool start) {
  FinishAndStartProduct(w_.services, folder, w_.form->ExeName(), start);
}

void Construct(HWND hwnd, SetupWindow& w) {
  PlaceControls(hwnd, kPlaces, kPageOrigin, 457, 305);
  int withWindow[std::size(kPlaces)];
  size_t n = 0;
  for (const ControlPlace& p : kPlaces)
    if (GetDlgItem(hwnd, p.id)) withWindow[n++] = p.id;
  ApplyDesign(hwnd, w.fonts, std::span<const int>(withWindow, n));
  AppendAboutItem(hwnd, TSetupForm::AboutCommand, "About Setup...");

  // The distribution is the folder setup.exe lies in: a script or a prompt
  // elsewhere must not make another folder the one installed.
  w.view.emplace(hwnd, w.controls, w.fonts);
  w.form.emplace(*w.view, w.hooks);
  w.form->Construct(OwnFolder());
  AutoSizeLabels(hwnd, kPlaces, kPageOrigin);

  // The task bar shows the wizard's icon while it is open.
  w.icon = LoadIconA(app::Instance(), MAKEINTRESOURCEA(ProductIconResource));
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(w.icon));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(w.icon));
  w.savedAppIcon = reinterpret_cast<HICON>(
      SendMessageA(w.owner, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(w.icon)));
}

void Close(HWND hwnd, SetupWindow& w) {
  if (!w.form->FormCloseQuery()) return;
  SendMessageA(w.owner, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(w.savedAppIcon));
  EndDialog(hwnd, IDCANCEL);
}

void Command(HWND hwnd, SetupWindow& w, int id, int code) {
  TSetupForm& f = *w.form;
  switch (id) {
    case IDC_NextBtn: if (code == BN_CLICKED) f.NextBtnClick(); break;
    case IDC_BackBtn: if (code == BN_CLICKED) f.BackBtnClick(); break;
    case IDC_BrowseBtn: if (code == BN_CLICKED) f.BrowseBtnClick(); break;
    case IDC_EAddr: if (code == EN_CHANGE) f.EAddrChange(); break;
    case IDC_Host: if (code == EN_CHANGE) f.HostChange(); break;
    case IDC_CancelBtn: Close(hwnd, w); break;
    default: break;
  }
}

INT_PTR CALLBACK SetupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = reinterpret_cast<SetupWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    w = reinterpret_cast<SetupWindow*>(lp);
    w->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    w->boxOwner.emplace(hwnd);
    app::EndRunOnFailure(hwnd, w->failure, [&] { Construct(hwnd, *w); });
    return FALSE;  // focus was set by the wizard
  }
  if (msg == WM_DESTROY && w) w->boxOwner.reset();
  if (!w || !w->form) return FALSE;
  if (msg == WM_SHOWWINDOW && wp && !w->shown) {
    // The show event: over an earlier installation the wizard moves on to
    // Review before anything is drawn. What it throws ends the wizard.
    w->shown = true;
    app::EndRunOnFailure(hwnd, w->failure, [&] { FormShow(*w->form, w->services.platform.files); });
    // The pages not shown yet are made once the first is drawn: a timer
    // comes after the paint. Anything that needs one sooner makes it then.
    SetTimer(hwnd, kMakePagesTimer, USER_TIMER_MINIMUM, nullptr);
    return FALSE;
  }
  if (msg == WM_TIMER && wp == kMakePagesTimer) {
    KillTimer(hwnd, kMakePagesTimer);
    for (int page = 0; page < static_cast<int>(std::size(kPageNames)); ++page) w->view->MakePage(page);
    return TRUE;
  }
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
      case WM_SETCURSOR:
        if (w->view->Busy()) {
          SetCursor(LoadCursorA(nullptr, IDC_WAIT));
          SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, TRUE);
          return TRUE;
        }
        return FALSE;
      default: return FALSE;
    }
  });
}

}  // namespace

void RunSetupWizard(HWND owner) {
  SetupWindow w;
  w.owner = owner;
  DialogBoxIndirectParamA(app::Instance(), w.controls.Template(), owner, SetupProc,
                          reinterpret_cast<LPARAM>(&w));
  if (w.failure) std::rethrow_exception(w.failure);
}

}  // namespace pel
