// What the replacing of a file meets on every implementation: one-step moves, files held open, programs running.
#include <gtest/gtest.h>

#include "sys/conformance_env.h"
#include "sys/paths.h"

namespace pel {
namespace {

class Replace : public ::testing::Test {
 protected:
  void SetUp() override { env_ = MakeConformanceEnv(); }
  void TearDown() override {
    env_->EndStartedPrograms();
    env_->ReleaseHeld();
  }
  FileSystem& fs() { return env_->platform().files; }
  Processes& processes() { return env_->platform().processes; }
  Text S(std::string_view rest) { return env_->scratch() + Text(rest); }
  Text Read(std::string_view rest) {
    Text data;
    fs().ReadWholeFile(S(rest), &data);
    return data;
  }
  std::unique_ptr<ConformanceEnv> env_;
};

TEST_F(Replace, MoveTakesTheNameOrFailsLeavingBothAlone) {
  struct Case {
    const char* what;
    const char* target;  // what stands at the new name: "" nothing, "file", "folder", "read-only"
    bool replace;
    bool ok;
    uint32_t error;
  };
  const Case cases[] = {
      {"to a free name", "", false, true, 0},
      {"over a file, replacing", "file", true, true, 0},
      {"over a file, not replacing", "file", false, false, kErrorAlreadyExists},
      {"over a folder", "folder", true, false, kErrorAccessDenied},
      {"over a folder, not replacing", "folder", false, false, kErrorAlreadyExists},
      {"over a read-only file", "read-only", true, false, kErrorAccessDenied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    env_ = MakeConformanceEnv();
    ASSERT_TRUE(fs().WriteWholeFile(S("new.tmp"), "new bytes"));
    Text target = c.target;
    if (target == "folder") { ASSERT_TRUE(fs().MakeDirectory(S("PL.exe"))); }
    if (target == "file" || target == "read-only") { ASSERT_TRUE(fs().WriteWholeFile(S("PL.exe"), "old")); }
    if (target == "read-only") { ASSERT_TRUE(fs().SetAttributes(S("PL.exe"), kAttrReadOnly)); }

    EXPECT_EQ(fs().Move(S("new.tmp"), S("PL.exe"), c.replace), c.ok);
    if (c.ok) {
      EXPECT_EQ(Read("PL.exe"), "new bytes");
      EXPECT_FALSE(fs().FileExists(S("new.tmp")));
    } else {
      EXPECT_EQ(fs().LastError(), c.error);
      EXPECT_EQ(Read("new.tmp"), "new bytes");
      if (target == "folder") EXPECT_TRUE(fs().DirectoryExists(S("PL.exe")));
      else EXPECT_EQ(Read("PL.exe"), "old");
    }
    fs().SetAttributes(S("PL.exe"), 0);
  }
}

TEST_F(Replace, MoveOfAMissingFileFails) {
  EXPECT_FALSE(fs().Move(S("gone.tmp"), S("PL.exe"), true));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(fs().FileExists(S("PL.exe")));
}

TEST_F(Replace, AFileHeldOpenCannotBeTouchedUntilReleased) {
  ASSERT_TRUE(fs().WriteWholeFile(S("PL.dbc"), "records"));
  ASSERT_TRUE(fs().WriteWholeFile(S("other"), "other"));
  EXPECT_FALSE(processes().HeldOpen(S("PL.dbc")));
  ASSERT_TRUE(env_->Hold(S("PL.dbc")));
  EXPECT_TRUE(processes().HeldOpen(S("PL.dbc")));
  EXPECT_TRUE(processes().HeldOpen(AnsiUpperCase(S("pl.dbc"))));
  EXPECT_FALSE(processes().HeldOpen(S("other")));
  EXPECT_FALSE(processes().HeldOpen(S("missing")));

  Text data;
  EXPECT_FALSE(fs().ReadWholeFile(S("PL.dbc"), &data));
  EXPECT_EQ(fs().LastError(), kErrorSharingViolation);
  EXPECT_FALSE(fs().Copy(S("other"), S("PL.dbc"), false));
  EXPECT_EQ(fs().LastError(), kErrorSharingViolation);
  EXPECT_FALSE(fs().Delete(S("PL.dbc")));
  EXPECT_EQ(fs().LastError(), kErrorSharingViolation);
  EXPECT_FALSE(fs().Move(S("PL.dbc"), S("moved"), false));
  EXPECT_EQ(fs().LastError(), kErrorSharingViolation);

  env_->ReleaseHeld();
  EXPECT_FALSE(processes().HeldOpen(S("PL.dbc")));
  EXPECT_EQ(Read("PL.dbc"), "records");
}

TEST_F(Replace, AProgramRunsFromItsImageByAnySpelling) {
  ASSERT_TRUE(fs().MakeDirectory(S("Product Folder")));
  const Text image = S("Product Folder\\PL.exe");
  ASSERT_TRUE(env_->StartWaitingProgram(image));
  ASSERT_TRUE(fs().Copy(image, S("PL.exe"), false));  // the same bytes elsewhere

  EXPECT_TRUE(processes().RunsFrom(image));
  EXPECT_TRUE(processes().RunsFrom(AnsiLowerCase(image)));
  EXPECT_TRUE(processes().RunsFrom(ShortPathName(fs(), image)));
  EXPECT_TRUE(processes().RunsFrom(S("Product Folder\\..\\Product Folder\\.\\PL.exe")));
  EXPECT_FALSE(processes().RunsFrom(S("PL.exe")));
  EXPECT_FALSE(processes().RunsFrom(S("Product Folder\\UninstPL.exe")));
  EXPECT_FALSE(processes().RunsFrom(S("Product Folder")));

  env_->EndStartedPrograms();
  EXPECT_FALSE(processes().RunsFrom(image));
}

}  // namespace
}  // namespace pel

namespace pel {
namespace {

TEST_F(Replace, ADurableWriteReplacesWholeOrFailsLeavingTheFileAlone) {
  ASSERT_TRUE(fs().WriteFileDurably(S("record.txt"), "first"));
  EXPECT_EQ(Read("record.txt"), "first");
  ASSERT_TRUE(fs().WriteFileDurably(S("record.txt"), "second, longer"));
  EXPECT_EQ(Read("record.txt"), "second, longer");

  ASSERT_TRUE(fs().SetAttributes(S("record.txt"), kAttrReadOnly));
  EXPECT_FALSE(fs().WriteFileDurably(S("record.txt"), "third"));
  EXPECT_EQ(fs().LastError(), kErrorAccessDenied);
  EXPECT_EQ(Read("record.txt"), "second, longer");
  ASSERT_TRUE(fs().SetAttributes(S("record.txt"), 0));
  ASSERT_TRUE(fs().MakeDirectory(S("Folder")));
  EXPECT_FALSE(fs().WriteFileDurably(S("Folder"), "x"));
  EXPECT_TRUE(fs().DirectoryExists(S("Folder")));
  EXPECT_FALSE(fs().WriteFileDurably(S("Missing\\record.txt"), "x"));
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
  // Nothing is left beside it, whether it went through or not.
  std::vector<DirEntry> entries;
  fs().List(S("*.*"), kAttrAll, &entries);
  EXPECT_EQ(entries.size(), 2u);
}

TEST_F(Replace, AFileIsKnownByItsIdentityNotByItsName) {
  ASSERT_TRUE(fs().MakeDirectory(S("Long Folder Name")));
  const Text file = S("Long Folder Name\\UninstPL.exe");
  ASSERT_TRUE(fs().WriteWholeFile(file, "the original"));
  FileIdentity original, again, other;
  ASSERT_TRUE(fs().Identify(file, &original));
  // Another spelling of the same file is the same file.
  ASSERT_TRUE(fs().Identify(ShortPathName(fs(), file), &again));
  EXPECT_EQ(again, original);
  // A copy is another file; a rename keeps the file.
  ASSERT_TRUE(fs().Copy(file, S("copy.exe"), true));
  ASSERT_TRUE(fs().Identify(S("copy.exe"), &other));
  EXPECT_NE(other.index, original.index);
  EXPECT_EQ(other.volume, original.volume);
  ASSERT_TRUE(fs().Move(file, S("moved.exe"), false));
  ASSERT_TRUE(fs().Identify(S("moved.exe"), &again));
  EXPECT_EQ(again, original);
  EXPECT_FALSE(fs().Identify(file, &again));

  // A new file at the old name is not deleted for the old one's identity.
  ASSERT_TRUE(fs().WriteWholeFile(file, "a newer uninstaller"));
  EXPECT_FALSE(fs().DeleteIdentified(file, original));
  EXPECT_EQ(fs().LastError(), kErrorNotSameFile);
  EXPECT_EQ(Read("Long Folder Name\\UninstPL.exe"), "a newer uninstaller");
  // Nor is the same file once written to since.
  ASSERT_TRUE(fs().WriteWholeFile(S("moved.exe"), "the original, rewritten"));
  EXPECT_FALSE(fs().DeleteIdentified(S("moved.exe"), original));
  EXPECT_EQ(Read("moved.exe"), "the original, rewritten");
  // The very file, unchanged, goes, by any spelling.
  ASSERT_TRUE(fs().Identify(S("moved.exe"), &again));
  EXPECT_TRUE(fs().DeleteIdentified(ShortPathName(fs(), S("moved.exe")), again));
  EXPECT_FALSE(fs().FileExists(S("moved.exe")));
  EXPECT_FALSE(fs().DeleteIdentified(S("moved.exe"), again));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);
  EXPECT_EQ(Read("copy.exe"), "the original");
}

}  // namespace
}  // namespace pel
