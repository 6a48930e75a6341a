// The setup wizard's real window: its design in the one wizard frame, its events forwarded to TSetupForm.
#include "setup/win32/setup_dialog.h"

#include <richedit.h>

#include <optional>

#include "app/constants.h"
#include "gui/win32/application.h"
#include "gui/win32/window_helpers.h"
#include "gui/win32/wizard_frame.h"
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

// Pixel geometry of every control at 96 DPI; page controls are relative to
// the page, which fills Notebook1's place. A width of 0 sizes a label to its text.
constexpr ControlPlace kPlaces[] = {
    {IDC_Panel1, kOnWindow, 16, 16, 425, 241},     {IDC_Appname, kOnWindow, 36, 22, 389, 31},
    {IDC_Notebook1, kOnWindow, 24, 52, 409, 195},
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
    {IDC_BackBtn, kOnWindow, 184, 272, 75, 25},   {IDC_NextBtn, kOnWindow, 272, 272, 75, 25},
    {IDC_CancelBtn, kOnWindow, 360, 272, 75, 25},
};
constexpr ControlFont kFonts[] = {{IDC_Appname, "Times New Roman", 27},
                                  {IDC_Label5, "Times New Roman", 21},
                                  {IDC_RichEdit6, "MS Sans Serif", 13},
                                  {IDC_RichEdit5, "MS Sans Serif", 13}};
constexpr int kRichEdits[] = {IDC_RichEdit1, IDC_RichEdit2, IDC_RichEdit3,
                              IDC_RichEdit4, IDC_RichEdit5, IDC_RichEdit6};
constexpr int kCheckedBoxes[] = {IDC_GroupBox, IDC_RunPelmoraBox};
constexpr int kPageTemplates[] = {IDD_SETUP_START, IDD_SETUP_ADDRESS, IDD_SETUP_REVIEW, IDD_SETUP_DONE};
constexpr const char* kPageNames[] = {"Start", "Address", "Review", "Done"};

constexpr WizardDesign kDesign = {
    IDD_SETUP, kPageTemplates, kPageNames, IDC_Notebook1,
    {kPlaces, {457, 305}, kFonts}, kRichEdits, kCheckedBoxes,
    ProductIconResource, TSetupForm::AboutCommand, "About Setup...",
};

class Win32SetupView final : public SetupView {
 public:
  explicit Win32SetupView(WizardFrame& frame) : frame_(frame) {}

  void ShowPage(int index) override { frame_.ShowPage(index); }
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
  void Focus(C c) override {
    SendMessageA(frame_.Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(c)), TRUE);
  }
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
    return app::ShowBox(frame_.Window(), text, caption, buttons);
  }

 private:
  HWND Item(C c) const { return frame_.Control(static_cast<int>(c)); }
  WizardFrame& frame_;
  bool busy_ = false;
};

// The setup wizard in the frame: its state machine and what it calls outside itself.
class SetupPages final : public WizardPages, public SetupHooks {
 public:
  SetupPages() : frame_(kDesign, *this) {}

  // What ended construction or the first show, for the standard error box;
  // empty when nothing did.
  Text Run(HWND owner) {
    frame_.Run(app::Instance(), owner);
    return failure_;
  }

  bool Construct(WizardFrame&) override {
    HWND hwnd = frame_.Window();
    boxOwner_.emplace(hwnd);
    // The distribution is the folder setup.exe lies in: a script or a prompt
    // elsewhere must not make another folder the one installed.
    view_.emplace(frame_);
    form_.emplace(*view_, *this);
    form_->Construct(OwnFolder());
    return KeepFailure();
  }
  bool Shown() override {
    // The show event: over an earlier installation the wizard moves on to
    // Review before anything is drawn. A failure there ends the wizard.
    FormShow(*form_, services_.platform.files);
    return KeepFailure();
  }
  bool Event(UINT msg, WPARAM wp, LPARAM) override {
    if (!form_) return false;
    TSetupForm& f = *form_;
    bool handled = Handle(f, msg, wp);
    // A failure in an event handler ends that handler only: it is shown in the
    // standard error box and the wizard stays open where it was.
    if (!f.Failure().empty()) {
      app::ShowException(f.TakeFailure());
      return true;
    }
    return handled;
  }
  bool Handle(TSetupForm& f, UINT msg, WPARAM wp) {
    int code = HIWORD(wp);
    if (msg == WM_SYSCOMMAND) return f.SystemCommand(static_cast<int>(wp));
    if (msg == WM_CLOSE) return Close();
    switch (LOWORD(wp)) {
      case IDC_NextBtn: if (code == BN_CLICKED) f.NextBtnClick(); break;
      case IDC_BackBtn: if (code == BN_CLICKED) f.BackBtnClick(); break;
      case IDC_BrowseBtn: if (code == BN_CLICKED) f.BrowseBtnClick(); break;
      case IDC_EAddr: if (code == EN_CHANGE) f.EAddrChange(); break;
      case IDC_Host: if (code == EN_CHANGE) f.HostChange(); break;
      case IDC_CancelBtn: Close(); break;
      default: break;
    }
    return true;
  }
  // A failure the form met while it was built or first shown ends the
  // wizard's run; false then, and Run hands it to the one who started it.
  bool KeepFailure() {
    if (form_->Failure().empty()) return true;
    failure_ = form_->TakeFailure();
    return false;
  }
  void Destroying() override { boxOwner_.reset(); }
  bool Busy() const override { return view_ && view_->Busy(); }
  INT_PTR Close() {
    if (form_->FormCloseQuery()) frame_.EndRun();
    return TRUE;
  }

  // SetupHooks.
  Text ReadVersion() override {
    StoreFileError why;
    Text version = ReadSetting("Version", "", WithTrailingBackslash(form_->SourceFolder()) + form_->SettingsName(),
                               &why);
    if (!why.message.empty()) form_->Fail(why.message);
    return version;
  }
  void ReadPrevious() override {
    if (ReadPreviousInstall(*form_, services_.platform.registry))
      ReadPreviousAddress(*form_, services_.platform.files, services_.store);
  }
  bool RunInstall() override {
    return pel::RunInstall(*form_, services_, [this](std::string_view caption, std::string_view message) {
      return ShowWaitDialog(caption, message, frame_.Window());
    });
  }
  Text BrowseForFolder(const Text&) override { return pel::BrowseForFolder(frame_.Window(), ""); }
  void Beep() override { SystemBeep(services_.platform.shell, 0); }
  Text ForeignFile(const Text& folder) override {
    return FindForeignFile(services_.platform.files, services_.platform.registry, folder, form_->SourceFolder());
  }
  Text DistributionRefusal() override {
    return MissingProgramMessage(services_.platform.files, form_->SourceFolder(), form_->ExeName());
  }
  void Closing(const Text& folder, bool start) override {
    FinishAndStartProduct(services_, folder, form_->ExeName(), start);
  }

 private:
  WizardFrame frame_;
  std::optional<Win32SetupView> view_;
  std::optional<TSetupForm> form_;
  Text failure_;  // what ended construction or the first show
  // Boxes of the steps and the store, and the error box, are the wizard's
  // own: it stays disabled under them whatever window is active.
  std::optional<app::MessageOwnerScope> boxOwner_;
  InstallServices services_{ActivePlatform(), DiskStore(), CurrentUi(), OwnPaths().ownStorePath,
                            SystemProgramsFolder, LocalDate, &ProcessLog(),
                            [](int ms) { Sleep(static_cast<DWORD>(ms)); }, true};
};

}  // namespace

Text RunSetupWizard(HWND owner) {
  SetupPages pages;
  return pages.Run(owner);
}

}  // namespace pel
