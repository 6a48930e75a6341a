// The setup wizard's decisions: pages, buttons, review text, close query and About box.
#pragma once

#include <utility>

#include "base/text.h"
#include "setup/setup_view.h"

namespace pel {

enum SetupPage { StartPage = 0, AddressPage = 1, ReviewPage = 2, DonePage = 3 };

// What the wizard calls outside itself. Each does nothing unless overridden:
// without an install driver nothing is installed and the wizard stays on Review.
// A hook that meets a failure nobody handles on the way (a store file that
// cannot be opened, a registry value of the wrong type) tells the form through
// TSetupForm::Fail and returns.
class SetupHooks {
 public:
  virtual ~SetupHooks() = default;
  virtual Text ReadVersion() { return {}; }  // the "Version" setting of the distribution
  virtual void ReadPrevious() {}             // earlier installation and address
  virtual bool RunInstall() { return false; }  // the install driver
  // The folder chosen; "cancel" when cancelled.
  virtual Text BrowseForFolder(const Text& current) { return "cancel"; }
  virtual void Beep() {}  // on reaching Done
  // The first file of folder that a removal would take although it is not the
  // product's; empty when there is none. Start asks before going on with it.
  virtual Text ForeignFile(const Text& folder) { return {}; }
  // Why the distribution folder cannot be installed from (MissingProgramMessage);
  // empty when it can. Install then shows it and stays on Review.
  virtual Text DistributionRefusal() { return {}; }
  // The window closes: make folder (the AppDIR text) the current directory,
  // then start the product from it when asked (Exit on Done with Run Pelmora).
  virtual void Closing(const Text& folder, bool startProduct) {}
};

class TSetupForm {
 public:
  inline static constexpr std::string_view DefaultFolder = "C:\\Program Files\\Pelmora";
  inline static constexpr int AboutCommand = 0x1000;

  // The hooks outlive the form.
  TSetupForm(SetupView& view, SetupHooks& hooks);

  // Construction steps that touch the window: headings, first page, focus.
  // False when a hook failed: construction stopped there, Failure() says why.
  bool Construct(const Text& sourceFolder);

  void NextBtnClick();
  void BackBtnClick();
  void BrowseBtnClick();
  void EAddrChange() { UpdateAddressRule(); }
  void HostChange() { UpdateAddressRule(); }
  // True when the window may close; runs the product start on Exit from Done.
  bool FormCloseQuery();
  // True when the command was the About item and has been handled.
  bool SystemCommand(int id);

  int Page() const { return page_; }
  bool EarlierInstall() const { return earlierInstall_; }
  void SetEarlierInstall(bool on) { earlierInstall_ = on; }
  const Text& SourceFolder() const { return sourceFolder_; }
  const Text& VersionText() const { return version_; }
  const Text& ExeName() const { return exeName_; }
  const Text& StoreName() const { return storeName_; }
  const Text& SettingsName() const { return settingsName_; }
  SetupView& View() { return view_; }

  // A failure that ends what is running: construction, or the click that met
  // it (the wizard then stays where it was). The first one told is kept
  // until taken; whoever runs the window shows it in the standard error box.
  void Fail(const Text& message) {
    if (failure_.empty()) failure_ = message;
  }
  const Text& Failure() const { return failure_; }
  Text TakeFailure() { return std::exchange(failure_, Text()); }

  static Text NoticeOnOneLine();
  static Text AboutText();

 private:
  bool AddressComplete() const;
  void UpdateAddressRule();
  void FillReview();
  void ApplyButtons(int q);
  bool DestinationAccepted();

  SetupView& view_;
  SetupHooks& hooks_;
  int page_ = StartPage;
  bool earlierInstall_ = false;
  Text sourceFolder_;
  Text exeName_;
  Text storeName_;
  Text settingsName_;
  Text version_;
  Text acceptedFolder_;  // the folder text last accepted despite other files in it
  Text failure_;
};

}  // namespace pel
