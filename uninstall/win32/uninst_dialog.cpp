// The uninstall wizard's real window: its design in the one wizard frame, its events forwarded to TUninstWiz.
#include "uninstall/win32/uninst_dialog.h"

#include <richedit.h>

#include <optional>

#include "app/constants.h"
#include "gui/win32/application.h"
#include "gui/win32/window_helpers.h"
#include "gui/win32/wizard_frame.h"
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

// Fonts: headings Times New Roman 18 pt, texts MS Sans Serif 10 pt (pixels at 96 dpi).
constexpr int kHeadingPx = 24;
constexpr int kTextPx = 13;

// Pixel geometry of every control at 96 DPI; page controls are relative to
// the page, which fills Notebook's place. A width of 0 sizes a label to its text.
constexpr ControlPlace kPlaces[] = {
    {IDC_BackBtn, kOnWindow, 184, 272, 75, 25},   {IDC_NextBtn, kOnWindow, 272, 272, 75, 25},
    {IDC_CancelBtn, kOnWindow, 360, 272, 75, 25}, {IDC_Panel1, kOnWindow, 16, 16, 425, 241},
    {IDC_Notebook, kOnWindow, 24, 24, 409, 225},
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
constexpr ControlFont kFonts[] = {
    {IDC_Appname, "Times New Roman", kHeadingPx}, {IDC_Label25, "Times New Roman", kHeadingPx},
    {IDC_Label1, "Times New Roman", kHeadingPx},  {IDC_Label4, "Times New Roman", kHeadingPx},
    {IDC_Label23, "MS Sans Serif", kTextPx},      {IDC_RichEdit7, "MS Sans Serif", kTextPx},
    {IDC_Label24, "MS Sans Serif", kTextPx},      {IDC_Label26, "MS Sans Serif", kTextPx},
    {IDC_AppEntries, "MS Sans Serif", kTextPx},   {IDC_MixEntries, "MS Sans Serif", kTextPx},
    {IDC_Label2, "MS Sans Serif", kTextPx},       {IDC_RichEdit1, "MS Sans Serif", kTextPx},
    {IDC_Memo1, "MS Sans Serif", kTextPx},        {IDC_Label6, "MS Sans Serif", kTextPx},
    {IDC_RichEdit2, "MS Sans Serif", kTextPx},
};
constexpr int kRichEdits[] = {IDC_RichEdit7, IDC_RichEdit3, IDC_RichEdit1};
// Both boxes start checked, as designed; creation then sets them as installed.
constexpr int kCheckedBoxes[] = {IDC_AppEntries, IDC_MixEntries};
constexpr int kPageTemplates[] = {IDD_UNINST_START, IDD_UNINST_OPTIONS, IDD_UNINST_REVIEW, IDD_UNINST_FINISH};
constexpr const char* kPageNames[] = {"Start", "Options", "Review", "Finish"};

constexpr WizardDesign kDesign = {
    IDD_UNINST, kPageTemplates, kPageNames, IDC_Notebook,
    {kPlaces, {458, 305}, kFonts}, kRichEdits, kCheckedBoxes,
    ProductIconResource, TUninstWiz::AboutCommand, TUninstWiz::AboutItem.data(),
};

// The uninstall wizard in the frame: its state machine and what it calls outside itself.
class UninstPages final : public WizardPages, public UninstHooks {
 public:
  UninstPages() : frame_(kDesign, *this) {}

  // What ended creation, for the standard error box; empty when nothing did.
  Text Run(HWND owner) {
    frame_.Run(app::Instance(), owner);
    return failure_;
  }

  bool Construct(WizardFrame&) override {
    HWND hwnd = frame_.Window();
    boxOwner_.emplace(hwnd);
    view_.emplace(hwnd, &frame_);
    form_.emplace(*view_, platform_, *this);
    if (!form_->Construct()) {
      // The creation's failure ends the modal run; the one who started it shows it.
      failure_ = form_->State().failure;
      return false;
    }
    view_->Focus(C::NextBtn);
    return true;
  }
  bool Event(UINT msg, WPARAM wp, LPARAM) override {
    if (!form_) return false;
    TUninstWiz& f = *form_;
    int code = HIWORD(wp);
    if (msg == WM_SYSCOMMAND) return f.SystemCommand(static_cast<int>(wp));
    if (msg == WM_CLOSE) return Close();
    switch (LOWORD(wp)) {
      case IDC_NextBtn: if (code == BN_CLICKED) f.NextBtnClick(); break;
      case IDC_BackBtn: if (code == BN_CLICKED) f.BackBtnClick(); break;
      case IDC_AppEntries: if (code == BN_CLICKED) f.AppEntriesClick(); break;
      case IDC_MixEntries: if (code == BN_CLICKED) f.MixEntriesClick(); break;
      case IDC_CancelBtn:
        // Esc while the button is disabled (during the run) does nothing.
        if (IsWindowEnabled(frame_.Control(IDC_CancelBtn))) Close();
        break;
      default: break;
    }
    return true;
  }
  void Destroying() override { boxOwner_.reset(); }
  INT_PTR Close() {
    if (form_->CloseRequest()) frame_.EndRun();
    return TRUE;
  }

  // UninstHooks.
  bool WaitDialog(std::string_view caption, std::string_view message) override {
    return ShowWaitDialog(caption, message, frame_.Window());
  }
  void RunRemoval(TUninstWiz& wiz) override {
    RemovalServices s{platform_, CurrentUi(), [](int ms) { ::Sleep(static_cast<DWORD>(ms)); },
                      [this](const Text& folder, bool complete) {
                        ShowManualDeleteNotice(folder, complete, frame_.Window());
                      }};
    pel::RunRemoval(wiz, s);
  }
  void Sleep(int ms) override { ::Sleep(static_cast<DWORD>(ms)); }
  void CloseNow() override { frame_.EndRun(); }

 private:
  WizardFrame frame_;
  std::optional<Win32UninstView> view_;
  std::optional<TUninstWiz> form_;
  std::optional<app::MessageOwnerScope> boxOwner_;
  Text failure_;  // what ended creation
  Platform& platform_ = ActivePlatform();
};

}  // namespace

Text RunUninstallWizard(HWND owner) {
  UninstPages pages;
  return pages.Run(owner);
}

}  // namespace pel
