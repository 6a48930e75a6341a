// The browse dialog's decisions: accepting a folder, the folder tree it shows, the caller's result.
#pragma once

#include <string_view>
#include <vector>

#include "base/text.h"
#include "setup/modal_result.h"
#include "sys/ui.h"

namespace pel {

// What the browse dialog needs from its window and the machine.
class BrowseView {
 public:
  virtual ~BrowseView() = default;
  virtual bool FileExists(const Text& path) const = 0;
  // The folder list's current folder, which is the process's current directory:
  // no trailing backslash except at a drive's root ("C:\").
  virtual Text CurrentFolder() const = 0;
  // A modal box owned by the browse dialog.
  virtual MsgAnswer ShowMessage(std::string_view text, std::string_view caption,
                                MsgButtons buttons) = 0;
};

// TBrowseDlg: the user picks a folder; with a required file name only a folder
// holding that file is accepted.
class TBrowseDlg {
 public:
  inline static constexpr std::string_view Caption = "Select Directory";
  inline static constexpr std::string_view InvalidPathCaption = "Invalid path";
  inline static constexpr std::string_view CancelText = "cancel";

  explicit TBrowseDlg(BrowseView& view) : view_(view) {}

  // The file the chosen folder must hold; empty for no such demand.
  Text RequiredFile;
  // The folder accepted when the dialog closed with OK; empty otherwise.
  Text SelectedDir;

  // True when the dialog may close with result. OK takes the folder list's
  // current folder, or refuses with "Invalid path" when the required file is
  // not in it.
  bool FormCloseQuery(ModalResult result);

  static Text InvalidPathText(std::string_view requiredFile);

 private:
  BrowseView& view_;
};

// What BrowseForFolder returns for a finished run: "cancel" unless it ended with
// OK, else the selected folder, lower-cased with the locale's ANSI rules.
Text BrowseResult(ModalResult result, std::string_view selectedDir);

// One line of the folder tree list: the root, each folder down to the current
// one, then the current folder's subfolders one level deeper.
struct FolderLine {
  Text name;  // as shown: "C:\" for the root, else the folder's own name
  Text path;  // the full path that opening this line makes current
  int level = 0;
  bool operator==(const FolderLine&) const = default;
};

struct FolderTree {
  std::vector<FolderLine> lines;
  size_t current = 0;  // the line of the current folder
};

// The tree for current (as the process gives it: "C:\a\b", "C:\" or
// "\\server\share\a") with the names of its subfolders, which are shown sorted
// without regard to case; "." and ".." are left out.
FolderTree MakeFolderTree(std::string_view current, std::vector<Text> subfolders);

}  // namespace pel
