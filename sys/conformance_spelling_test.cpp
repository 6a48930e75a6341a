// One suite, both platforms: how the file calls take the spellings of a folder, and that a folder is known by its identity.
#include <gtest/gtest.h>

#include "sys/conformance_env.h"
#include "sys/paths.h"
#include "sys/resolved_folder.h"
#include "uninstall/folder_guard.h"

namespace pel {
namespace {

class Spelling : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = MakeConformanceEnv();
    ASSERT_TRUE(env_);
    ASSERT_TRUE(fs().MakeDirectory(S("Prot")));
    ASSERT_TRUE(fs().MakeDirectory(S("Prot\\sub")));
    ASSERT_TRUE(fs().WriteWholeFile(S("Prot\\canary.txt"), "mine"));
  }
  FileSystem& fs() { return env_->platform().files; }
  Text S(std::string_view rest) { return env_->scratch() + Text(rest); }
  // The scratch folder's path with every backslash after the drive's as a slash.
  Text Slashed(std::string_view rest) {
    Text t = S(rest);
    for (size_t i = 3; i < t.size(); ++i) {
      if (t[i] == '\\') t[i] = '/';
    }
    return t;
  }
  std::unique_ptr<ConformanceEnv> env_;
};

TEST_F(Spelling, TheFileCallsTidyWhatTheShortFormKeeps) {
  Text prot = S("Prot");
  // The file calls take ".." by the text: a missing folder before it does not matter.
  EXPECT_EQ(fs().Attributes(S("missing\\..\\Prot\\")), kAttrDirectory);
  EXPECT_TRUE(fs().FileExists(Slashed("Prot/canary.txt")));
  EXPECT_TRUE(fs().FileExists(env_->scratch() + "\\Prot\\\\canary.txt"));
  EXPECT_TRUE(fs().DirectoryExists(S("Prot.")));
  EXPECT_TRUE(fs().DirectoryExists("\\\\.\\" + prot));
  EXPECT_TRUE(fs().DirectoryExists("\\\\?\\" + prot));
  // After "\\?\" nothing is tidied.
  EXPECT_EQ(fs().Attributes("\\\\?\\" + S("missing\\..\\Prot")), kNoAttributes);
  EXPECT_EQ(fs().Attributes("\\\\?\\" + S("Prot\\.\\")), kNoAttributes);
  // The short form walks the spelling name by name and keeps it.
  EXPECT_EQ(fs().ShortPathName(S("missing\\..\\Prot\\")), "");
  EXPECT_TRUE(fs().ShortPathName(S("Prot\\.\\")).ends_with("\\.\\"));
  EXPECT_TRUE(fs().ShortPathName(S("Prot\\sub\\..\\")).ends_with("\\..\\"));
  EXPECT_NE(fs().ShortPathName(Slashed("Prot/")).find('/'), Text::npos);
  EXPECT_TRUE(fs().ShortPathName("\\\\?\\" + prot).starts_with("\\\\?\\"));
  EXPECT_EQ(fs().ShortPathName("\\\\.\\" + prot), "");
  // The final path is the folder as the system names it.
  Text final = fs().FinalPathName(prot);
  ASSERT_FALSE(final.empty());
  for (const Text& s : {S("missing\\..\\Prot\\"), S("Prot\\.\\"), Slashed("Prot/"), S("Prot."),
                        "\\\\?\\" + prot, "\\\\.\\" + prot + "\\"}) {
    EXPECT_EQ(fs().FinalPathName(s), final) << s;
  }
  EXPECT_EQ(fs().FinalPathName(S("nothing")), "");
}

TEST_F(Spelling, ALinkLeadsToItsTargetAndIsSeenAsALink) {
  if (!env_->MakeFolderLink(S("lnk"), S("Prot"))) GTEST_SKIP() << "no folder links here";
  EXPECT_NE(fs().Attributes(S("lnk")) & kAttrReparsePoint, 0u);
  EXPECT_EQ(fs().Attributes(S("lnk\\")), kAttrDirectory);
  EXPECT_TRUE(fs().FileExists(S("lnk\\canary.txt")));
  EXPECT_EQ(fs().FinalPathName(S("lnk")), fs().FinalPathName(S("Prot")));
  // ".." after a link is taken by the text, not in the link's target.
  EXPECT_FALSE(fs().DirectoryExists(S("lnk\\..\\sub")));
}

TEST_F(Spelling, EverySpellingOfAFolderResolvesToTheOneFolder) {
  ASSERT_TRUE(env_->MakeFolderLink(S("lnk"), S("Prot")) || env_->real());
  FolderResolution prot = ResolveFolder(fs(), S("Prot"));
  ASSERT_TRUE(prot.folder);
  EXPECT_TRUE(prot.folder->Path().ends_with("\\Prot\\"));
  std::vector<Text> spellings = {S("missing\\..\\Prot\\"), S("Prot\\.\\"),  S("Prot\\sub\\..\\"),
                                 Slashed("Prot/"),         S("Prot\\\\"),   S("Prot."),
                                 "\\\\?\\" + S("Prot\\"),  "\\\\.\\" + S("Prot\\"), AnsiUpperCase(S("Prot")),
                                 S("Prot. "),              S("Prot  ")};
  if (fs().Attributes(S("lnk")) != kNoAttributes) spellings.push_back(S("lnk\\"));
  for (const Text& s : spellings) {
    FolderResolution r = ResolveFolder(fs(), s);
    ASSERT_TRUE(r.folder) << s << ": " << r.reason;
    EXPECT_TRUE(*r.folder == *prot.folder) << s << " gave " << r.folder->Key();
    EXPECT_EQ(r.folder->Path(), prot.folder->Path()) << s;
  }
  using O = FolderResolution::Outcome;
  EXPECT_EQ(ResolveFolder(fs(), S("Prot\\canary.txt")).outcome, O::Refused);
  EXPECT_EQ(ResolveFolder(fs(), "\\\\?\\" + S("missing\\..\\Prot")).outcome, O::Missing);
  EXPECT_EQ(ResolveFolder(fs(), "Prot").outcome, O::Refused);
  EXPECT_EQ(ResolveFolder(fs(), S("Pr\tot")).outcome, O::Refused);
  EXPECT_EQ(ResolveFolder(fs(), S(Text(300000, 'x'))).outcome, O::Refused);
}

TEST_F(Spelling, TheWindowsFolderAndTheProfilesParentAreRefusedUnderEverySpelling) {
  Text w = fs().WindowsDirectory();
  ASSERT_GE(w.size(), 4u);
  Text drive = w.substr(0, 2), rest = w.substr(3);
  Text slashed = w;
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  std::vector<Text> spellings = {drive + "\\pelnosuch\\..\\" + rest + "\\", w + "\\.\\",
                                 w + "\\System32\\..\\", slashed + "/", drive + "\\\\" + rest + "\\\\",
                                 "\\\\?\\" + w + "\\", "\\\\.\\" + w + "\\", w + ".", w + ". ",
                                 AnsiUpperCase(w)};
  if (env_->MakeFolderLink(S("winlnk"), w)) spellings.push_back(S("winlnk\\"));
  Text profile = fs().SystemFolderPath(SystemFolder::Profile);
  spellings.push_back(profile);
  spellings.push_back(FolderPart(WithoutTrailingBackslash(profile)));
  spellings.push_back(w + "\\System32");
  FolderResolution windows = ResolveFolder(fs(), w);
  ASSERT_TRUE(windows.folder);
  for (const Text& s : spellings) {
    FolderResolution r = ResolveFolder(fs(), s);
    // The component's program is there: only the folder's identity refuses it.
    FolderVerdict v = JudgeComponentFolder(env_->platform(), r, PelmoraPrograms, true);
    EXPECT_FALSE(v.deletable) << s;
    EXPECT_FALSE(v.reason.empty()) << s;
  }
  EXPECT_TRUE(fs().FileExists(w + "\\explorer.exe"));
  // A folder of the user's own, spelled oddly, is allowed and is the folder.
  FolderResolution own = ResolveFolder(fs(), S("missing\\..\\Prot"));
  EXPECT_TRUE(JudgeComponentFolder(env_->platform(), own, PelmoraPrograms, true).deletable);
  EXPECT_FALSE(JudgeComponentFolder(env_->platform(), own, PelmoraPrograms, false).deletable);
}

}  // namespace
}  // namespace pel
