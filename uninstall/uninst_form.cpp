// The uninstall wizard's decisions: installed state, box rules, pages, review, close query and About box.
#include "uninstall/uninst_form.h"

#include "app/constants.h"
#include "sys/product_running.h"
#include "sys/paths.h"
#include "uninstall/removal_steps.h"

namespace pel {

using C = UninstControl;

namespace {
constexpr std::string_view kMarkerFile = "unpl.dsk";
constexpr std::string_view kNotInstalled = "not installed";
UninstHooks kNoHooks;  // removes nothing: its wait dialog counts as cancelled
}  // namespace

TUninstWiz::TUninstWiz(UninstView& view, Platform& platform, UninstHooks& hooks)
    : view_(view), platform_(platform), hooks_(hooks) {}

TUninstWiz::TUninstWiz(UninstView& view, Platform& platform) : TUninstWiz(view, platform, kNoHooks) {}

Text TUninstWiz::AboutText() {
  return Text(UninstallTitle) + "  " + Text(ProductVersion) + "\n" + Text(LegalNotice);
}

Text TUninstWiz::AppFolderPath() const {
  return folders_.app.folder ? folders_.app.folder->Path() : state_.appDir;
}

bool TUninstWiz::ProductStays() const {
  return state_.appInstalled &&
         (!view_.IsChecked(C::AppEntries) ||
          platform_.files.FileExists(AppFolderPath() + Text(kMarkerFile)));
}

void TUninstWiz::SetBox(C box, bool on) {
  if (view_.IsChecked(box) == on) return;
  view_.SetChecked(box, on);
  box == C::AppEntries ? AppEntriesClick() : MixEntriesClick();
}

void TUninstWiz::DisableBox(C box) {
  SetBox(box, false);
  view_.SetEnabled(box, false);
}

void TUninstWiz::UpdateNext() {
  view_.SetEnabled(C::NextBtn, view_.IsChecked(C::AppEntries) || view_.IsChecked(C::MixEntries));
}

bool TUninstWiz::Construct() {
  page_ = UninstStartPage;
  view_.ShowPage(UninstStartPage);
  state_ = ReadInstalledState(platform_.registry);
  if (!state_.failure.empty()) return false;
  if (!state_.appInstalled && !state_.mixInstalled) {
    view_.SetEnabled(C::NextBtn, false);
    view_.SetText(C::RichEdit7, NothingInstalledText);
    view_.SetEnabled(C::Label24, false);
    return true;
  }

  view_.SetText(C::AppEntries, ProductName);
  view_.SetText(C::MixEntries, "Mixmaster");
  view_.SetText(C::Appname, Text(ProductName) + " " + state_.version);
  view_.SetText(C::Label25, "Un-Install " + Text(ProductName));

  // Resolved once: a folder that cannot be reached (a share that does not
  // answer) costs its wait here and never again at a click.
  folders_ = ResolveInstalledFolders(platform_.files, state_);
  relations_ = RelateFolders(folders_);
  FolderRelations r = relations_;
  // Without a folder there is no marker to find (and no current folder to look in instead).
  bool marker = state_.appInstalled && !state_.appDir.empty() &&
                platform_.files.FileExists(AppFolderPath() + Text(kMarkerFile));
  if (!state_.mixInstalled) DisableBox(C::MixEntries);
  if (marker || !state_.appInstalled) DisableBox(C::AppEntries);
  if (state_.appInstalled && !marker) SetBox(C::AppEntries, true);
  if (state_.mixInstalled) SetBox(C::MixEntries, true);
  if (r.mixInsideApp || r.sameDirs) view_.SetEnabled(C::MixEntries, false);
  if (r.appInsideMix) SetBox(C::AppEntries, true);
  UpdateNext();

  Text m = state_.mixInstalled ? WithoutTrailingBackslash(state_.mixDir) : Text(kNotInstalled);
  Text a = state_.appInstalled ? WithoutTrailingBackslash(state_.appDir) : Text(kNotInstalled);
  view_.SetText(C::MixEntries, view_.GetText(C::MixEntries) + "    { " + AnsiLowerCase(m) + " }");
  view_.SetText(C::AppEntries, view_.GetText(C::AppEntries) + "  { " + AnsiLowerCase(a) + " }");

  appFirst_ = view_.IsChecked(C::AppEntries) && (r.sameDirs || !r.appInsideMix);
  return true;
}

void TUninstWiz::AppEntriesClick() {
  FolderRelations r = Relations();
  bool on = view_.IsChecked(C::AppEntries);
  if (on && (r.mixInsideApp || r.sameDirs)) {
    SetBox(C::MixEntries, true);
    view_.SetEnabled(C::MixEntries, false);
  } else if (!on && (r.sameDirs || r.mixInsideApp)) {
    view_.SetEnabled(C::MixEntries, true);
  }
  UpdateNext();
}

void TUninstWiz::MixEntriesClick() {
  FolderRelations r = Relations();
  bool on = view_.IsChecked(C::MixEntries);
  if (on && (r.appInsideMix || r.sameDirs)) {
    SetBox(C::AppEntries, true);
    view_.SetEnabled(C::AppEntries, false);
  } else if (!on && (r.sameDirs || r.appInsideMix)) {
    view_.SetEnabled(C::AppEntries, true);
  }
  UpdateNext();
}

void TUninstWiz::ApplyPageButtons(int page) {
  view_.SetText(C::NextBtn, page == UninstReviewPage || page == FinishPage ? "Finish" : "Next");
  view_.SetEnabled(C::BackBtn, page != UninstStartPage);
}

void TUninstWiz::FillReview() {
  view_.ClearLines(C::Memo1);
  view_.AddLine(C::Memo1, Text(ProductName) + (view_.IsChecked(C::AppEntries) ? " = YES" : " = NO"));
  view_.AddLine(C::Memo1, Text("Mixmaster") + (view_.IsChecked(C::MixEntries) ? " = YES" : " = NO"));
  view_.ScrollPageUp(C::Memo1);
}

void TUninstWiz::NextBtnClick() {
  if (view_.GetText(C::NextBtn) == "Finish") {
    if (page_ != UninstReviewPage || running_) return;
    if (view_.Ask("Uninstall now?", ProductName, MsgButtons::OkCancel) != MsgAnswer::Ok) return;
    if (!hooks_.WaitDialog(ProductName, "...uninstalling software...")) return;
    // A running Pelmora keeps its files: the user closes it or stays on Review.
    auto ask = [this](std::string_view text, std::string_view caption, MsgButtons buttons) {
      return view_.Ask(text, caption, buttons);
    };
    if (view_.IsChecked(C::AppEntries) && !AwaitProductClosed(platform_, state_.appDir, ask)) return;
    // A file held by another program would be left behind with the key gone:
    // nothing starts until every one can go, or the user goes back.
    if (!AwaitFilesFree()) return;
    page_ = FinishPage;
    view_.ShowPage(FinishPage);
    view_.ProcessMessages();
    {
      running_ = true;
      hooks_.RunRemoval(*this);
      running_ = false;
    }
    view_.SetText(C::CancelBtn, "Exit");
    view_.SetEnabled(C::CancelBtn, true);
    // A close asked for during the run is carried out now; "Exit" lets it pass.
    if (closeRequested_ && FormCloseQuery()) hooks_.CloseNow();
    return;
  }
  if (page_ >= FinishPage) return;
  bool locked = view_.LockUpdate();
  page_ += 1;
  view_.ShowPage(page_);
  if (page_ == UninstReviewPage) FillReview();
  ApplyPageButtons(page_);
  if (locked) view_.UnlockUpdate();
}

bool TUninstWiz::AwaitFilesFree() {
  for (;;) {
    Text busy = RemovalFileInUse(*this);
    for (int waited = 0; !busy.empty() && waited < FileInUseRetryMs; waited += FileInUseStepMs) {
      hooks_.Sleep(FileInUseStepMs);
      busy = RemovalFileInUse(*this);
    }
    if (busy.empty()) return true;
    if (view_.Ask(FileInUseText(busy), ProductName, MsgButtons::RetryCancel) != MsgAnswer::Retry) {
      return false;
    }
  }
}

void TUninstWiz::BackBtnClick() {
  if (page_ <= UninstStartPage || running_) return;
  bool locked = view_.LockUpdate();
  page_ -= 1;
  view_.ShowPage(page_);
  ApplyPageButtons(page_);
  if (locked) view_.UnlockUpdate();
}

bool TUninstWiz::FormCloseQuery() {
  if ((!state_.appInstalled && !state_.mixInstalled) || page_ <= UninstStartPage) return true;
  if (view_.GetText(C::CancelBtn) == "Exit") return true;
  Text question = "Quit without removing " + Text(ProductName) + "?";
  return view_.Ask(question, ProductName, MsgButtons::YesNo) != MsgAnswer::No;
}

bool TUninstWiz::CloseRequest() {
  if (running_) {
    closeRequested_ = true;
    return false;
  }
  return FormCloseQuery();
}

bool TUninstWiz::SystemCommand(int id) {
  if (id != AboutCommand) return false;
  view_.Ask(AboutText(), "About...", MsgButtons::Ok);
  return true;
}

}  // namespace pel
