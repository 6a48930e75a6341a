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
  void Construct(const Text& folder);
  // Opens the folder HomeDir resolves to in an explorer window, and nothing
  // when it names no folder; the notice stays open.
  void OpenDirBtnClick();

  const Text& HomeDir() const { return homeDir_; }

  static Text OpenDirCaption(const Text& folder);

 private:
  UninstView& view_;
  Platform& platform_;
  Text homeDir_;
};

}  // namespace pel
