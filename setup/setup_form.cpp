// The setup wizard's decisions: pages, buttons, review text, close query and About box.
#include "setup/setup_form.h"

#include "app/constants.h"
#include "setup/foreign_files.h"
#include "setup/install_steps.h"

namespace pel {

TSetupForm::TSetupForm(SetupView& view, SetupHooks& hooks) : view_(view), hooks_(hooks) {}

Text TSetupForm::NoticeOnOneLine() {
  Text notice(LegalNotice);
  size_t lf = notice.find('\n');
  if (lf != Text::npos) notice.replace(lf, 1, ",  ");
  return notice;
}

Text TSetupForm::AboutText() {
  return Text(SetupTitle) + "  " + Text(ProductVersion) + "\n" + Text(LegalNotice);
}

bool TSetupForm::Construct(const Text& sourceFolder) {
  sourceFolder_ = sourceFolder;
  view_.SetText(SetupControl::Copyright, NoticeOnOneLine());
  exeName_ = Text(ProductExe);
  storeName_ = ChangeFileExt(exeName_, StoreExt);
  settingsName_ = ChangeFileExt(exeName_, IniExt);
  version_ = hooks_.ReadVersion();
  if (!failure_.empty()) return false;
  view_.SetText(SetupControl::Appname, Text(ProductName) + " " + version_);
  page_ = StartPage;
  view_.ShowPage(StartPage);
  hooks_.ReadPrevious();
  if (!failure_.empty()) return false;
  view_.Focus(SetupControl::NextBtn);
  return true;
}

bool TSetupForm::AddressComplete() const {
  return !view_.GetText(SetupControl::EAddr).empty() && !view_.GetText(SetupControl::Host).empty();
}

// The fields are also filled while the wizard is built, with Start showing: the
// rule there would leave Start with no way forward but Cancel.
void TSetupForm::UpdateAddressRule() {
  if (page_ == AddressPage) view_.SetEnabled(SetupControl::NextBtn, AddressComplete());
}

void TSetupForm::ApplyButtons(int q) {
  view_.SetEnabled(SetupControl::BackBtn, q > 0);
  view_.SetEnabled(SetupControl::NextBtn, q == AddressPage ? AddressComplete() : true);
  view_.SetText(SetupControl::NextBtn, q == ReviewPage ? "Install" : "Next");
}

void TSetupForm::FillReview() {
  view_.ClearLines(SetupControl::RichEdit3);
  view_.AddLine(SetupControl::RichEdit3, "Folder = " + view_.GetText(SetupControl::AppDIR));
  view_.AddLine(SetupControl::RichEdit3, "Address = " + view_.GetText(SetupControl::EAddr));
  view_.AddLine(SetupControl::RichEdit3, "MailHost = " + view_.GetText(SetupControl::Host));
  view_.AddLine(SetupControl::RichEdit3, Text("ProgramGroup = ") +
                                             (view_.IsChecked(SetupControl::GroupBox) ? "yes" : "no"));
}

void TSetupForm::NextBtnClick() {
  if (view_.GetText(SetupControl::NextBtn) == "Install") {
    // Refused before the question: nothing would be installed.
    Text refusal = hooks_.DistributionRefusal();
    if (!refusal.empty()) {
      view_.Ask(refusal, DistributionErrorCaption, MsgButtons::Ok);
      return;
    }
    if (view_.Ask("Install now?", ProductName, MsgButtons::OkCancel) == MsgAnswer::Cancel) return;
    if (!hooks_.RunInstall()) return;
  }
  if (page_ == StartPage && !DestinationAccepted()) return;
  int q = page_ + 1 > DonePage ? page_ : page_ + 1;
  ApplyButtons(q);
  view_.SetText(SetupControl::CancelBtn, q == DonePage ? "Exit" : "Cancel");
  if (q == ReviewPage) FillReview();
  if (q == DonePage) {
    view_.SetEnabled(SetupControl::BackBtn, false);
    view_.SetEnabled(SetupControl::NextBtn, false);
  }
  page_ = q;
  view_.ShowPage(q);
  if (q == StartPage) view_.Focus(SetupControl::AppDIR);
  if (q == AddressPage) view_.Focus(SetupControl::EAddr);
  if (q == DonePage) hooks_.Beep();
}

// A folder that already holds other files becomes the product's only when the
// user says so: the removal later deletes every loose file in it. The answer
// holds for that folder text; No leaves the text selected for a new one.
bool TSetupForm::DestinationAccepted() {
  Text folder = view_.GetText(SetupControl::AppDIR);
  if (folder == acceptedFolder_) return true;
  Text file = hooks_.ForeignFile(folder);
  if (file.empty()) return true;
  if (view_.Ask(ForeignFolderQuestion(folder, file), ProductName, MsgButtons::YesNo) == MsgAnswer::No) {
    view_.Focus(SetupControl::AppDIR);
    view_.SelectAll(SetupControl::AppDIR);
    return false;
  }
  acceptedFolder_ = folder;
  return true;
}

void TSetupForm::BackBtnClick() {
  if (page_ == StartPage) return;
  int q = page_ - 1;
  page_ = q;
  view_.ShowPage(q);
  ApplyButtons(q);
  if (q == StartPage) view_.Focus(SetupControl::AppDIR);
  if (q == AddressPage) view_.Focus(SetupControl::EAddr);
}

void TSetupForm::BrowseBtnClick() {
  Text folder = hooks_.BrowseForFolder(view_.GetText(SetupControl::AppDIR));
  if (folder != "cancel") view_.SetText(SetupControl::AppDIR, folder);
}

bool TSetupForm::FormCloseQuery() {
  bool exiting = view_.GetText(SetupControl::CancelBtn) == "Exit";
  if (page_ > StartPage && !exiting) {
    Text question = "Quit without installing " + Text(ProductName) + "?";
    if (view_.Ask(question, ProductName, MsgButtons::YesNo) == MsgAnswer::No) return false;
  }
  bool start = page_ == DonePage && exiting && view_.IsChecked(SetupControl::RunPelmoraBox);
  hooks_.Closing(view_.GetText(SetupControl::AppDIR), start);
  return true;
}

bool TSetupForm::SystemCommand(int id) {
  if (id != AboutCommand) return false;
  view_.Ask(AboutText(), "About...", MsgButtons::Ok);
  return true;
}

}  // namespace pel
