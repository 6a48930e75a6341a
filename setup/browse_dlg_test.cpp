// Tests of the browse dialog's close query, its result and its folder tree.
#include "setup/browse_dlg.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace pel {
namespace {

class FakeBrowseView final : public BrowseView {
 public:
  struct Box {
    Text text, caption;
    MsgButtons buttons;
  };
  Text folder = "C:\\dist";
  std::set<Text> files;
  mutable std::vector<Text> probed;
  std::vector<Box> boxes;

  bool FileExists(const Text& path) const override {
    probed.push_back(path);
    return files.count(path) > 0;
  }
  Text CurrentFolder() const override { return folder; }
  MsgAnswer ShowMessage(std::string_view text, std::string_view caption,
                        MsgButtons buttons) override {
    boxes.push_back({Text(text), Text(caption), buttons});
    return MsgAnswer::Ok;
  }
};

TEST(BrowseDlgCloseQuery, CancelClosesWithoutLookingAtTheFolder) {
  FakeBrowseView view;
  TBrowseDlg dlg(view);
  dlg.RequiredFile = "PL.ini";
  EXPECT_TRUE(dlg.FormCloseQuery(ModalResult::Cancel));
  EXPECT_TRUE(view.boxes.empty());
  EXPECT_TRUE(view.probed.empty());
  EXPECT_EQ(dlg.SelectedDir, "");
}

TEST(BrowseDlgCloseQuery, WithoutRequiredFileEveryOkIsAccepted) {
  FakeBrowseView view;
  view.folder = "C:\\Program Files";
  TBrowseDlg dlg(view);
  EXPECT_TRUE(dlg.FormCloseQuery(ModalResult::Ok));
  EXPECT_EQ(dlg.SelectedDir, "C:\\Program Files");
  EXPECT_TRUE(view.probed.empty());
  EXPECT_TRUE(view.boxes.empty());
}

TEST(BrowseDlgCloseQuery, FolderWithoutRequiredFileIsRefusedUntilOneHasIt) {
  FakeBrowseView view;
  view.files = {"C:\\Mix\\mix.exe"};
  TBrowseDlg dlg(view);
  dlg.RequiredFile = "mix.exe";

  EXPECT_FALSE(dlg.FormCloseQuery(ModalResult::Ok));
  ASSERT_EQ(view.boxes.size(), 1u);
  EXPECT_EQ(view.boxes[0].caption, "Invalid path");
  EXPECT_EQ(view.boxes[0].text,
            "The file 'mix.exe' is not in the directory you have chosen.\nPlease select again.");
  EXPECT_EQ(view.boxes[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(view.probed.back(), "C:\\dist\\mix.exe");
  EXPECT_EQ(dlg.SelectedDir, "");

  view.folder = "C:\\Mix";
  EXPECT_TRUE(dlg.FormCloseQuery(ModalResult::Ok));
  EXPECT_EQ(dlg.SelectedDir, "C:\\Mix");
  EXPECT_EQ(view.boxes.size(), 1u);
}

TEST(BrowseDlgCloseQuery, RootFolderIsJoinedWithOneBackslash) {
  FakeBrowseView view;
  view.folder = "D:\\";
  view.files = {"D:\\PL.ini"};
  TBrowseDlg dlg(view);
  dlg.RequiredFile = "PL.ini";
  EXPECT_TRUE(dlg.FormCloseQuery(ModalResult::Ok));
  EXPECT_EQ(view.probed, std::vector<Text>{"D:\\PL.ini"});
  EXPECT_EQ(dlg.SelectedDir, "D:\\");
}

TEST(BrowseResult, CancelTextOrTheFolderLowerCased) {
  EXPECT_EQ(BrowseResult(ModalResult::Cancel, "C:\\Mix"), "cancel");
  // A run that never got going (no display, no template) is no choice either.
  EXPECT_EQ(BrowseResult(ModalResult::None, "C:\\Mix"), "cancel");
  EXPECT_EQ(BrowseResult(ModalResult::Ok, "C:\\Program Files"), "c:\\program files");
  EXPECT_EQ(BrowseResult(ModalResult::Ok, "C:\\"), "c:\\");
  // Code page 1252 letters fold too: A-umlaut (0xC4) becomes a-umlaut (0xE4).
  EXPECT_EQ(BrowseResult(ModalResult::Ok, "C:\\\xC4rger"), "c:\\\xE4rger");
}

TEST(FolderTree, PathDownToTheCurrentFolderThenItsSortedSubfolders) {
  FolderTree t = MakeFolderTree("C:\\Program Files\\Pelmora", {"zeta", "..", "Alpha", ".", "beta"});
  std::vector<FolderLine> want = {
      {"C:\\", "C:\\", 0},
      {"Program Files", "C:\\Program Files", 1},
      {"Pelmora", "C:\\Program Files\\Pelmora", 2},
      {"Alpha", "C:\\Program Files\\Pelmora\\Alpha", 3},
      {"beta", "C:\\Program Files\\Pelmora\\beta", 3},
      {"zeta", "C:\\Program Files\\Pelmora\\zeta", 3},
  };
  EXPECT_EQ(t.lines, want);
  EXPECT_EQ(t.current, 2u);
}

TEST(FolderTree, DriveRootIsItsOwnCurrentLine) {
  FolderTree t = MakeFolderTree("d:\\", {"Data"});
  std::vector<FolderLine> want = {{"d:\\", "d:\\", 0}, {"Data", "d:\\Data", 1}};
  EXPECT_EQ(t.lines, want);
  EXPECT_EQ(t.current, 0u);
}

TEST(FolderTree, NetworkShareIsOneRoot) {
  FolderTree t = MakeFolderTree("\\\\srv\\mail\\in", {});
  std::vector<FolderLine> want = {{"\\\\srv\\mail\\", "\\\\srv\\mail\\", 0},
                                  {"in", "\\\\srv\\mail\\in", 1}};
  EXPECT_EQ(t.lines, want);
  EXPECT_EQ(t.current, 1u);
}

}  // namespace
}  // namespace pel
