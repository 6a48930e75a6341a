// The uninstall wizard's decisions: installed state, box rules, pages, review, close query and About box.
#pragma once

#include "base/text.h"
#include "sys/platform.h"
#include "uninstall/installed_state.h"
#include "uninstall/uninst_view.h"

namespace pel {

enum UninstPage { UninstStartPage = 0, OptionsPage = 1, UninstReviewPage = 2, FinishPage = 3 };

class TUninstWiz;

// What the wizard calls outside itself. Each does nothing unless overridden;
// the pause then counts as cancelled, so nothing is removed unconfirmed.
class UninstHooks {
 public:
  virtual ~UninstHooks() = default;
  // The cancellable pause: true when it ran out by itself.
  virtual bool WaitDialog(std::string_view caption, std::string_view message) { return false; }
  // The removal run, with the wizard on its Finish page.
  virtual void RunRemoval(TUninstWiz&) {}
  // Closes the window now, without asking (a close requested during the run).
  virtual void CloseNow() {}
  // Waits ms milliseconds between quiet looks at a file in use.
  virtual void Sleep(int ms) {}
};

class TUninstWiz {
 public:
  inline static constexpr int AboutCommand = 0x1000;
  inline static constexpr std::string_view AboutItem = "About Uninstall...";

  // The hooks outlive the wizard; without them it removes nothing.
  TUninstWiz(UninstView& view, Platform& platform, UninstHooks& hooks);
  TUninstWiz(UninstView& view, Platform& platform);

  // Creation after the window and its system menu item exist: first page,
  // installed state, captions, box states, AppFirst. False when the registry
  // could not be read (a value that is not text): creation stopped there and
  // State().failure says why, for the standard error box.
  bool Construct();

  void NextBtnClick();
  void BackBtnClick();
  void AppEntriesClick();
  void MixEntriesClick();
  // True when the window may close.
  bool FormCloseQuery();
  // A close request (close box, Cancel, Exit, Esc): true when the window is to
  // close now. During the removal run it only marks the wizard, which closes
  // once the run and its notice are over.
  bool CloseRequest();
  // True when the command was the About item and has been handled.
  bool SystemCommand(int id);

  int Page() const { return page_; }
  bool Running() const { return running_; }
  const InstalledState& State() const { return state_; }
  // Rewritten in its normalised form by the removal.
  Text& AppDir() { return state_.appDir; }
  bool AppFirst() const { return appFirst_; }
  // Fixed when the wizard is made, as the folders are.
  FolderRelations Relations() const { return relations_; }
  const InstalledFolders& Folders() const { return folders_; }
  // The same, for the removal to let go of each folder once done with it.
  InstalledFolders& HeldFolders() { return folders_; }
  // The product folder as resolved, else as recorded.
  Text AppFolderPath() const;
  // True when the product is installed and this run leaves it so: its box is
  // unchecked, or its folder holds the marker that keeps it.
  bool ProductStays() const;
  UninstView& View() { return view_; }
  Platform& Services() { return platform_; }

  static Text AboutText();
  inline static constexpr std::string_view NothingInstalledText =
      "Neither Pelmora nor Mixmaster are installed on this machine!\nNothing to un-install!";

 private:
  // Sets a box as the wizard's own change, running its click rule when the state changes.
  void SetBox(UninstControl box, bool on);
  void DisableBox(UninstControl box);
  void UpdateNext();
  void FillReview();
  void ApplyPageButtons(int page);
  // Until every file the removal would delete can go: quiet looks for about
  // two seconds, then a Retry/Cancel box naming the file. False on Cancel.
  bool AwaitFilesFree();

  UninstView& view_;
  Platform& platform_;
  UninstHooks& hooks_;
  InstalledState state_;
  InstalledFolders folders_;
  FolderRelations relations_;
  bool appFirst_ = false;
  int page_ = UninstStartPage;
  bool running_ = false;
  bool closeRequested_ = false;
};

}  // namespace pel
