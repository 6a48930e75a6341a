// The closing notice's decisions: the button that opens the product's home folder.
#pragma once

#include "base/text.h"
#include "sys/platform.h"
#include "uninstall/uninst_view.h"

namespace pel {

class TUninstDirDlg {
 public:
  TUninstDirDlg(UninstView& view, Platform& platform) : view_(view), platform_(platform) {}

  // "Open : " and the folder in lower case on the button; HomeDir keeps its case.
  // A removal that left something must not be called successful: the first
  // sentence then says what the wizard's log lists (IncompleteText).
  void Construct(const Text& folder, bool complete = true);
  // Opens the folder HomeDir resolves to in an explorer window, and nothing
  // when it names no folder; the notice stays open.
  void OpenDirBtnClick();

  const Text& HomeDir() const { return homeDir_; }

  static Text OpenDirCaption(const Text& folder);
  static Text IncompleteText();

 private:
  UninstView& view_;
  Platform& platform_;
  Text homeDir_;
};

}  // namespace pel
