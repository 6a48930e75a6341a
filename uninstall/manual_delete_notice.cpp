// The closing notice's decisions: the button that opens the product's home folder.
#include "uninstall/manual_delete_notice.h"

#include "sys/resolved_folder.h"
#include "sys/services.h"

namespace pel {

Text TUninstDirDlg::OpenDirCaption(const Text& folder) { return "Open : " + AnsiLowerCase(folder); }

Text TUninstDirDlg::IncompleteText() {
  return "The removal did not finish: the wizard lists what was left. You will also need to manually "
         "delete the PL database and home directory.";
}

void TUninstDirDlg::Construct(const Text& folder, bool complete) {
  view_.SetText(UninstControl::OpenDirBtn, OpenDirCaption(folder));
  if (!complete) view_.SetText(UninstControl::Label1, IncompleteText());
  homeDir_ = folder;
}

void TUninstDirDlg::OpenDirBtnClick() {
  // Only a folder: the explorer would run a program it was handed.
  FolderResolution folder = ResolveFolder(platform_.files, homeDir_);
  if (!folder.folder) return;
  OpenFolderWindowQuoted(platform_.shell, platform_.files, folder.folder->Path());
}

}  // namespace pel
